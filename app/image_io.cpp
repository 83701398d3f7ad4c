#include "app/image_io.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

// The decoders are compiled here once, without SIMD paths, so that every build decodes a
// file to the same bytes.
#define STBI_NO_SIMD
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_FAILURE_USERMSG
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace rx::cli {

namespace {

std::string lowerExtension(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    // Reserve the whole file at once: growing by doubling would briefly hold close to
    // twice the file in memory.
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        if (size > 0) bytes.reserve(size_t(size));
        std::rewind(f);
    }
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad) {
        error = "cannot read \"" + path + "\"";
        return false;
    }
    return true;
}

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

}  // namespace

ImageFormat outputFormatFor(const std::string& path) {
    std::string ext = lowerExtension(path);
    if (ext == "png") return ImageFormat::Png;
    if (ext == "bmp") return ImageFormat::Bmp;
    return ImageFormat::Unknown;
}

bool loadImage(const std::string& path, Image& image, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes, error)) return false;
    if (bytes.empty()) {
        error = "\"" + path + "\" is empty";
        return false;
    }
    if (bytes.size() > size_t(INT32_MAX)) {
        error = "\"" + path + "\" is too large";
        return false;
    }
    int w = 0, h = 0, n = 0;
    if (!stbi_info_from_memory(bytes.data(), int(bytes.size()), &w, &h, &n)) {
        error = "\"" + path + "\" is not a PNG, JPEG, BMP or TGA image (" +
                stbi_failure_reason() + ")";
        return false;
    }
    // Rectangles of the plug-in interface are 16-bit.
    if (w < 1 || h < 1 || w > 30000 || h > 30000) {
        error = "\"" + path + "\" is " + std::to_string(w) + " x " + std::to_string(h) +
                " pixels; sizes from 1 to 30000 are supported";
        return false;
    }
    uint8_t* data = stbi_load_from_memory(bytes.data(), int(bytes.size()), &w, &h, &n, 0);
    std::vector<uint8_t>().swap(bytes);  // the encoded file is no longer needed
    if (!data) {
        error = "cannot decode \"" + path + "\" (" + stbi_failure_reason() + ")";
        return false;
    }
    image.width = w;
    image.height = h;
    image.channels = n;
    image.pixels.assign(data, data + size_t(w) * size_t(h) * size_t(n));
    stbi_image_free(data);
    return true;
}

bool encodeImage(const Image& image, ImageFormat format, std::vector<uint8_t>& bytes,
                 std::string& error) {
    bytes.clear();
    int ok = 0;
    if (format == ImageFormat::Png) {
        ok = stbi_write_png_to_func(appendBytes, &bytes, image.width, image.height,
                                    image.channels, image.pixels.data(),
                                    image.width * image.channels);
    } else if (format == ImageFormat::Bmp) {
        // The file is written in many small pieces: reserve its whole size up front.
        size_t rowBytes = (size_t(image.width) * 3 + 3) & ~size_t(3);
        bytes.reserve(rowBytes * size_t(image.height) + 1024);
        ok = stbi_write_bmp_to_func(appendBytes, &bytes, image.width, image.height,
                                    image.channels, image.pixels.data());
    } else {
        error = "unsupported output format (use .png or .bmp)";
        return false;
    }
    if (!ok) {
        error = "cannot encode the image";
        return false;
    }
    return true;
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
