#include "app/image_io.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/image_codecs.h"
#include "platform/user_files.h"

namespace rx::cli {

namespace {

struct FormatInfo {
    ImageFormat format;
    const char* name;
    const char* extensions[3];
    bool alpha;
};

const FormatInfo kFormats[] = {
    {ImageFormat::Png, "PNG", {"png"}, true},
    {ImageFormat::Jpeg, "JPEG", {"jpg", "jpeg", "jpe"}, false},
    {ImageFormat::Tiff, "TIFF", {"tif", "tiff"}, true},
    {ImageFormat::WebP, "WebP", {"webp"}, true},
    {ImageFormat::Bmp, "BMP", {"bmp"}, true},
    {ImageFormat::Tga, "TGA", {"tga"}, true},
};

const FormatInfo* infoOf(ImageFormat format) {
    for (const FormatInfo& f : kFormats)
        if (f.format == format) return &f;
    return nullptr;
}

std::string lowerExtension(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::string why;
    switch (platform::readRegularFile(path, kMaxImageFileBytes, false, bytes, why)) {
        case platform::ReadResult::Ok: return true;
        case platform::ReadResult::CannotOpen:
            error = "cannot open \"" + path + "\": " + why;
            break;
        case platform::ReadResult::Folder:
            error = "\"" + path + "\" is a folder, not an image file";
            break;
        case platform::ReadResult::NotRegular:
            error = "\"" + path + "\" is not a regular file";
            break;
        case platform::ReadResult::TooLarge:
            error = "\"" + path + "\" is larger than the largest image file we accept (" +
                    std::to_string(kMaxImageFileBytes >> 20) + " MB)";
            break;
        case platform::ReadResult::Failed: error = "cannot read \"" + path + "\": " + why; break;
    }
    return false;
}

bool startsWith(const uint8_t* data, size_t size, const char* magic, size_t n) {
    return size >= n && std::memcmp(data, magic, n) == 0;
}

}  // namespace

ImageFormat outputFormatFor(const std::string& path) {
    std::string ext = lowerExtension(path);
    for (const FormatInfo& f : kFormats)
        for (const char* e : f.extensions)
            if (e && ext == e) return f.format;
    return ImageFormat::Unknown;
}

const char* formatName(ImageFormat format) {
    const FormatInfo* f = infoOf(format);
    return f ? f->name : "unknown";
}

bool formatHoldsAlpha(ImageFormat format) {
    const FormatInfo* f = infoOf(format);
    return f && f->alpha;
}

bool formatWritable(ImageFormat format) { return codec::builtIn(format); }

std::string writableExtensions() {
    std::string out;
    for (const FormatInfo& f : kFormats) {
        if (!codec::builtIn(f.format)) continue;
        out += (out.empty() ? "." : ", .") + std::string(f.extensions[0]);
    }
    return out;
}

namespace {

// decodeImage; `spendable` is `data` when the caller no longer needs the bytes.
bool decodeBytes(const uint8_t* data, size_t size, Image& image, std::string& error,
                 const ReadOptions& options, uint8_t* spendable) {
    image = Image();
    bool ok = false;
    try {
        if (startsWith(data, size, "\x89PNG\r\n\x1a\n", 8)) {
            ok = codec::decodePng(data, size, image, options, error, spendable);
        } else if (startsWith(data, size, "\xff\xd8\xff", 3)) {
            ok = codec::decodeJpeg(data, size, image, options, error);
            if (ok) codec::applyOrientation(image, codec::readJpegMetadata(data, size, image));
        } else if (startsWith(data, size, "II*\0", 4) || startsWith(data, size, "MM\0*", 4)) {
            ok = codec::decodeTiff(data, size, image, options, error);
        } else if (size >= 12 && startsWith(data, size, "RIFF", 4) &&
                   std::memcmp(data + 8, "WEBP", 4) == 0) {
            ok = codec::decodeWebp(data, size, image, options, error);
        } else if (startsWith(data, size, "BM", 2)) {
            ok = codec::decodeBmp(data, size, image, error);
        } else if (codec::looksLikeTga(data, size)) {
            ok = codec::decodeTga(data, size, image, error);
        } else {
            error = "is not a PNG, JPEG, TIFF, WebP, BMP or TGA image";
        }
    } catch (const std::bad_alloc&) {
        // A decoder that read the header has set the size it could not make room for.
        error = "does not fit in memory";
        if (image.width > 0 && image.height > 0)
            error += " (" + std::to_string(image.width) + " x " + std::to_string(image.height) +
                     " pixels)";
        ok = false;
    }
    if (!ok) image = Image();
    return ok;
}

}  // namespace

bool decodeImage(const uint8_t* data, size_t size, Image& image, std::string& error,
                 const ReadOptions& options) {
    return decodeBytes(data, size, image, error, options, nullptr);
}

bool loadImage(const std::string& path, Image& image, std::string& error,
               const ReadOptions& options) {
    std::vector<uint8_t> bytes;
    try {
        if (!readWholeFile(path, bytes, error)) return false;
    } catch (const std::bad_alloc&) {
        error = "\"" + path + "\" does not fit in memory";
        return false;
    }
    if (bytes.empty()) {
        error = "\"" + path + "\" is empty";
        return false;
    }
    if (!decodeBytes(bytes.data(), bytes.size(), image, error, options, bytes.data())) {
        error = "\"" + path + "\" " + error;
        return false;
    }
    return true;
}

bool formatHolds16Bits(ImageFormat format) {
    return format == ImageFormat::Png || format == ImageFormat::Tiff;
}

bool encodeImage(const Image& image, ImageFormat format, std::vector<uint8_t>& bytes,
                 std::string& error, const WriteOptions& options) {
    bytes.clear();
    if (!codec::builtIn(format)) {
        error = std::string("this build does not write ") + formatName(format) + " (use " +
                writableExtensions() + ")";
        return false;
    }
    if (image.hasAlpha() && !formatHoldsAlpha(format)) {
        error = std::string(formatName(format)) + " has no alpha channel";
        return false;
    }
    if (image.depth == 16 && !formatHolds16Bits(format)) {
        error = std::string(formatName(format)) + " cannot hold 16 bits per channel";
        return false;
    }
    try {
        switch (format) {
            case ImageFormat::Png: return codec::encodePng(image, bytes, error);
            case ImageFormat::Jpeg: return codec::encodeJpeg(image, options.quality, bytes, error);
            case ImageFormat::Tiff: return codec::encodeTiff(image, bytes, error);
            case ImageFormat::WebP: return codec::encodeWebp(image, options.quality, bytes, error);
            case ImageFormat::Bmp: return codec::encodeBmp(image, bytes, error);
            case ImageFormat::Tga: return codec::encodeTga(image, bytes, error);
            case ImageFormat::Unknown: break;
        }
    } catch (const std::bad_alloc&) {
        error = "not enough memory to encode the image";
        return false;
    }
    error = "unknown output format";
    return false;
}

void flattenAlpha(Image& image) {
    if (!image.hasAlpha()) return;
    const int32_t in = image.channels, out = in - 1;
    const size_t count = size_t(image.width) * size_t(image.height);
    uint8_t* px = image.pixels.data();
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* s = px + i * size_t(in);
        uint8_t* d = px + i * size_t(out);
        const uint32_t a = s[out];
        for (int32_t c = 0; c < out; ++c)
            d[c] = uint8_t((s[c] * a + 255u * (255u - a) + 127u) / 255u);
    }
    image.channels = out;
    image.pixels.resize(count * size_t(out));
    image.pixels.shrink_to_fit();
}

Image builtInSky(int32_t width, int32_t height) {
    Image img;
    img.width = width;
    img.height = height;
    img.channels = 3;
    img.pixels.resize(size_t(width) * size_t(height) * 3);
    // Sky colours at the zenith and at the horizon.
    const int32_t top[3] = {18, 42, 104};
    const int32_t horizon[3] = {236, 178, 132};
    const int32_t ground[3] = {28, 30, 38};
    int32_t horizonY = height * 3 / 4;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = img.row(y);
        // Quadratic blend so the warm band stays low in the sky.
        int32_t t = horizonY > 0 ? std::min(y, horizonY) * 256 / horizonY : 256;
        int32_t w = t * t / 256;
        for (int32_t x = 0; x < width; ++x) {
            // Rolling hills: the sum of two long integer triangle waves.
            int32_t a = (x + 130) % 760, b = (x + 410) % 460;
            int32_t hillA = (a < 380 ? a : 759 - a) * height / 5600;
            int32_t hillB = (b < 230 ? b : 459 - b) * height / 9000;
            int32_t ridge = horizonY + height / 12 - hillA - hillB;
            uint8_t* px = row + size_t(x) * 3;
            for (int c = 0; c < 3; ++c) {
                int32_t v = y >= ridge ? ground[c] + ((y + x) & 3)
                                       : top[c] + (horizon[c] - top[c]) * w / 256;
                px[c] = uint8_t(std::clamp(v, 0, 255));
            }
        }
    }
    return img;
}

}  // namespace rx::cli
