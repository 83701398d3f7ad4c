// The image data of a PNG file (its IDAT chunks), shared by every build's PNG writer. Rows
// take the SUB filter and zlib compresses them at level 1 with the run-length strategy:
// about the size libpng's defaults give a photo, several times faster. Blocks of rows are
// compressed at once on worker threads, each as deflate data that ends on a byte boundary,
// and follow one another in one zlib stream: the run-length strategy never looks back further
// than the byte before, so a block needs nothing of the one before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/image_io.h"

namespace rx::cli::codec {

// Appends one chunk: length, type, data and CRC.
void appendPngChunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data, size_t size);

// Appends the IDAT chunks of `image` (8 or 16 bits per channel, 1 to 4 channels) and returns
// false when zlib fails (out of memory). `blockRows` 0 lets the writer choose the rows per
// block; tests set small blocks to cross their edges.
bool appendPngImageData(const Image& image, std::vector<uint8_t>& out, int32_t blockRows = 0);

}  // namespace rx::cli::codec
