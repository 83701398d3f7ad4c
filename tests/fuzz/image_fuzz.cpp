// The image readers (PNG, JPEG, TIFF and WebP through the libraries of the build they are
// linked from, or stb_image as in the Windows build; BMP, TGA and the EXIF orientation of
// our own) on arbitrary bytes: no crash, no sanitizer report, and a decoded image always as
// large as it says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/image_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rx::cli::Image image;
    std::string error;
    for (bool reduce : {false, true}) {
        if (rx::cli::decodeImage(data, size, image, error, rx::cli::ReadOptions{reduce}) &&
            image.pixels.size() !=
                size_t(image.width) * size_t(image.height) * size_t(image.channels))
            std::abort();
    }
    return 0;
}
