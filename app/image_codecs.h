// The codecs behind app/image_io.h. Each decoder takes a whole file in memory and returns
// false with a reason that reads after the file's name ("is truncated", "has 16 bits ...").
// app/image_codecs_native.cpp and app/win/image_codecs_win.cpp hold the library-backed
// ones; app/image_bmp_tga.cpp the BMP and TGA ones every build shares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/image_io.h"

namespace rx::cli::codec {

using Bytes = std::vector<uint8_t>;

// `spendable`, when not null, is `data` itself, which the caller no longer needs: the native
// decoder joins the image data of a file in many chunks there, over the chunks' heads,
// instead of in a copy.
bool decodePng(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
               std::string& error, uint8_t* spendable = nullptr);
bool decodeJpeg(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
                std::string& error);
bool decodeTiff(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
                std::string& error);
bool decodeWebp(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
                std::string& error);
bool decodeBmp(const uint8_t* data, size_t size, Image& image, std::string& error);
bool decodeTga(const uint8_t* data, size_t size, Image& image, std::string& error);
// Whether the bytes start like a TGA header of a kind decodeTga reads.
bool looksLikeTga(const uint8_t* data, size_t size);

bool encodePng(const Image& image, Bytes& out, std::string& error);
bool encodeJpeg(const Image& image, int quality, Bytes& out, std::string& error);
bool encodeTiff(const Image& image, Bytes& out, std::string& error);
bool encodeWebp(const Image& image, int quality, Bytes& out, std::string& error);
bool encodeBmp(const Image& image, Bytes& out, std::string& error);
bool encodeTga(const Image& image, Bytes& out, std::string& error);

// Formats whose codec this build has.
bool builtIn(ImageFormat format);

// Reads a JPEG file's EXIF block and ICC profile (joined from its pieces) into `image` and
// returns the EXIF orientation (1..8; 1 when it has none or it cannot be read). The EXIF
// kept is already marked upright: the caller applies the orientation.
int readJpegMetadata(const uint8_t* data, size_t size, Image& image);
// Sets the orientation of an EXIF block's TIFF structure to 1 (in its byte order) and
// unlinks its thumbnail; a block without an orientation tag is left as it is.
void markExifUpright(std::vector<uint8_t>& exif);
// Whether an ICC profile describes grey (`grey`) or RGB data, so a writer keeps only one
// that matches its pixels.
bool iccFits(const std::vector<uint8_t>& profile, bool grey);
// Turns and mirrors `image` so that a picture stored with EXIF orientation `orientation`
// stands the way viewers show it.
void applyOrientation(Image& image, int orientation);

// Shared checks: the reason a size is refused, or empty.
std::string sizeProblem(int64_t width, int64_t height);
// The one-line refusal of a deep image: "has 16 bits per channel; ...".
std::string depthRefusal(int bits, bool isFloat);
// Sets up `image` for width x height x channels of `depth` bits, false with a reason when
// memory is short.
bool allocate(Image& image, int32_t width, int32_t height, int32_t channels, std::string& error,
              int32_t depth = 8);

}  // namespace rx::cli::codec
