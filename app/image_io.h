// Image files of the command line. Pixels are 8 or 16 bits per channel (16-bit samples two
// bytes in the machine's order, 0..65535), interleaved, rows top to bottom: 1 channel grey,
// 2 grey + alpha, 3 RGB, 4 RGBA. PNG and TIFF hold 16 bits; the other formats 8.
//
// One interface, one implementation per build: the native build reads and writes PNG
// (libpng), JPEG (libjpeg-turbo), TIFF (libtiff) and WebP (libwebp); the Windows build reads
// PNG and JPEG with stb_image and writes PNG through zlib. BMP and TGA are our own code in
// every build, as are the EXIF orientation and the checks of a header against the file.
//
// The native build also carries a file's colour profile and EXIF block from input to output
// where both formats hold them; the Windows build reads them but writes neither.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rx::cli {

struct Image {
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;
    int32_t depth = 8;  // bits per channel: 8 or 16
    std::vector<uint8_t> pixels;
    // The ICC colour profile, as stored (empty: none). Kept by PNG, JPEG, TIFF and WebP.
    std::vector<uint8_t> iccProfile;
    // The EXIF block's TIFF structure, from its "II" or "MM" on (empty: none). An orientation
    // applied on reading is set back to 1 here, so no viewer turns the picture twice. Kept
    // by PNG, JPEG and WebP.
    std::vector<uint8_t> exif;

    size_t sampleBytes() const { return depth == 16 ? 2 : 1; }
    size_t rowBytes() const { return size_t(width) * size_t(channels) * sampleBytes(); }
    uint8_t* row(int32_t y) { return pixels.data() + size_t(y) * rowBytes(); }
    const uint8_t* row(int32_t y) const { return pixels.data() + size_t(y) * rowBytes(); }
    bool hasAlpha() const { return channels == 2 || channels == 4; }
    bool isGrey() const { return channels <= 2; }
};

enum class ImageFormat { Png, Jpeg, Tiff, WebP, Bmp, Tga, Unknown };

// The largest width and height accepted (rectangles of the plug-in interface are 16-bit).
constexpr int32_t kMaxImageSide = 30000;
// The largest image file read: a 30000 x 30000 RGBA image stored raw, and some.
constexpr uint64_t kMaxImageFileBytes = 4ull * kMaxImageSide * kMaxImageSide + (64ull << 20);

// The output format chosen from a file name's extension (case-insensitive).
ImageFormat outputFormatFor(const std::string& path);
const char* formatName(ImageFormat format);
// Whether the format stores an alpha channel.
bool formatHoldsAlpha(ImageFormat format);
// Whether this build writes the format.
bool formatWritable(ImageFormat format);
// The extensions this build writes, for messages: ".png, .jpg, ...".
std::string writableExtensions();

struct ReadOptions {
    // Reduce 16-bit channels to 8 bits (the high byte) instead of keeping them.
    bool reduceDepth = false;
};

// Whether the format stores 16 bits per channel (PNG, TIFF).
bool formatHolds16Bits(ImageFormat format);

struct WriteOptions {
    int quality = 90;  // JPEG and WebP, 1..100
};

// Reads an image file. On failure returns false with a one-line reason in `error`.
bool loadImage(const std::string& path, Image& image, std::string& error,
               const ReadOptions& options = {});
// Decodes an image file held in memory; the format is recognised from its first bytes.
bool decodeImage(const uint8_t* data, size_t size, Image& image, std::string& error,
                 const ReadOptions& options = {});

// The encoded file for `image` in `format`. The caller has refused alpha for a format
// without it (see flattenAlpha); a grey image goes to BMP, TGA-less formats as RGB.
bool encodeImage(const Image& image, ImageFormat format, std::vector<uint8_t>& bytes,
                 std::string& error, const WriteOptions& options = {});

// Composites an image with alpha over white and drops the alpha channel.
void flattenAlpha(Image& image);

// The built-in picture used when no input is given: a landscape-sized sky, deep blue at
// the top to a warm haze at the horizon, over a dark ridge of hills. Made in integer
// arithmetic so every build produces the same bytes.
constexpr int32_t kBuiltInWidth = 1200;
constexpr int32_t kBuiltInHeight = 800;
Image builtInSky(int32_t width = kBuiltInWidth, int32_t height = kBuiltInHeight);

}  // namespace rx::cli
