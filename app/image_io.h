// Image files of the command line: PNG, JPEG, BMP and TGA in; PNG and BMP out. Pixels are
// 8 bits per channel, interleaved, rows top to bottom: 1 channel grey, 2 grey + alpha,
// 3 RGB, 4 RGBA.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rx::cli {

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;
    std::vector<uint8_t> pixels;

    uint8_t* row(int32_t y) { return pixels.data() + size_t(y) * size_t(width) * size_t(channels); }
    bool hasAlpha() const { return channels == 2 || channels == 4; }
    bool isGrey() const { return channels <= 2; }
};

enum class ImageFormat { Png, Bmp, Unknown };

// The output format chosen from a file name's extension (case-insensitive).
ImageFormat outputFormatFor(const std::string& path);

// Reads an image file. On failure returns false with a one-line reason in `error`.
bool loadImage(const std::string& path, Image& image, std::string& error);

// The encoded file for `image` in `format`. BMP keeps colour and alpha; a grey image is
// written to BMP as equal red, green and blue.
bool encodeImage(const Image& image, ImageFormat format, std::vector<uint8_t>& bytes,
                 std::string& error);

// The built-in picture used when no input is given: a landscape-sized sky, deep blue at
// the top to a warm haze at the horizon, over a dark ridge of hills. Made in integer
// arithmetic so every build produces the same bytes.
constexpr int32_t kBuiltInWidth = 1200;
constexpr int32_t kBuiltInHeight = 800;
Image builtInSky(int32_t width = kBuiltInWidth, int32_t height = kBuiltInHeight);

}  // namespace rx::cli
