// Which file each input of `radiantix render` is written to. OUT is one of:
//   FILE          one input only; its extension (or --format) picks the kind
//   FOLDER/       an existing folder, or a name ending in a separator: each output keeps its
//                 input's file name (--format changes the extension)
//   PATTERN       a name holding {name}, replaced by each input's name without extension
//   -             standard output, one input, --format required
// IN "-" is standard input (once); no IN is the built-in sky, named "sun".
#pragma once

#include <string>
#include <vector>

#include "app/image_io.h"

namespace rx::cli {

struct RenderTarget {
    std::string input;   // "" built-in sky, "-" standard input
    std::string output;  // "-" standard output
    ImageFormat format = ImageFormat::Unknown;
};

// The format that --format names (png, jpeg, jpg, tiff, tif, webp, bmp, tga); Unknown else.
ImageFormat formatFromName(const std::string& name);

// One target per input (one for none). On failure returns false with one line in `error`;
// the arguments were wrong, so the run stops before reading anything.
bool planOutputs(const std::vector<std::string>& inputs, const std::string& output,
                 const std::string& formatOption, std::vector<RenderTarget>& targets,
                 std::string& error);

}  // namespace rx::cli
