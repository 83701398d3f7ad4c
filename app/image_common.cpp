// What every build's codecs share: size limits, the refusal of deep images, and the EXIF
// orientation of JPEG files (read from the file's bytes, so every decoder agrees).
#include <algorithm>
#include <new>
#include <utility>

#include "app/image_codecs.h"
#include "platform/frame_memory.h"

namespace rx::cli::codec {

std::string sizeProblem(int64_t width, int64_t height) {
    if (width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide) return "";
    return "is " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels; sizes from 1 to " + std::to_string(kMaxImageSide) + " are supported";
}

std::string depthRefusal(int bits, bool isFloat) {
    std::string kind = isFloat ? std::to_string(bits) + "-bit floating-point channels"
                               : std::to_string(bits) + " bits per channel";
    return "has " + kind +
           "; radiantix renders 8-bit images and does not reduce them silently: "
           "pass --depth 8 to reduce it, or convert it first (e.g. convert IN -depth 8 OUT.png)";
}

bool allocate(Image& image, int32_t width, int32_t height, int32_t channels, std::string& error) {
    image.width = width;
    image.height = height;
    image.channels = channels;
    try {
        const size_t size = size_t(width) * size_t(height) * size_t(channels);
        image.pixels.clear();
        image.pixels.reserve(size);
        platform::adviseHugePages(image.pixels.data(), size);
        image.pixels.resize(size);
    } catch (const std::bad_alloc&) {
        error = "does not fit in memory (" + std::to_string(width) + " x " +
                std::to_string(height) + " pixels)";
        return false;
    }
    return true;
}

namespace {

uint32_t get16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? uint32_t(p[0]) << 8 | p[1] : uint32_t(p[1]) << 8 | p[0];
}

uint32_t get32(const uint8_t* p, bool bigEndian) {
    return bigEndian ? get16(p, true) << 16 | get16(p + 2, true)
                     : get16(p + 2, false) << 16 | get16(p, false);
}

// The orientation tag of the TIFF structure inside an EXIF block, or 1.
int exifOrientation(const uint8_t* tiff, size_t size) {
    if (size < 8) return 1;
    bool big;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        big = true;
    else if (tiff[0] == 'I' && tiff[1] == 'I')
        big = false;
    else
        return 1;
    uint32_t ifd = get32(tiff + 4, big);
    if (ifd > size - 2) return 1;
    uint32_t entries = get16(tiff + ifd, big);
    for (uint32_t i = 0; i < entries; ++i) {
        size_t at = size_t(ifd) + 2 + size_t(i) * 12;
        if (at + 12 > size) return 1;
        const uint8_t* e = tiff + at;
        // Tag 0x0112, type SHORT, one value held in the entry itself.
        if (get16(e, big) != 0x0112) continue;
        if (get16(e + 2, big) != 3 || get32(e + 4, big) != 1) return 1;
        uint32_t v = get16(e + 8, big);
        return v >= 1 && v <= 8 ? int(v) : 1;
    }
    return 1;
}

}  // namespace

int jpegOrientation(const uint8_t* data, size_t size) {
    // Walk the markers after SOI up to the first scan, looking for APP1 "Exif\0\0".
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xff) return 1;
        uint8_t marker = data[at + 1];
        if (marker == 0xff) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xda || marker == 0xd9) return 1;  // start of scan, end of image
        size_t length = size_t(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || at + 2 + length > size) return 1;
        const uint8_t* body = data + at + 4;
        size_t bodySize = length - 2;
        if (marker == 0xe1 && bodySize >= 6 && std::equal(body, body + 6, "Exif\0\0"))
            return exifOrientation(body + 6, bodySize - 6);
        at += 2 + length;
    }
    return 1;
}

void applyOrientation(Image& image, int orientation) {
    if (orientation <= 1 || orientation > 8) return;
    const int32_t w = image.width, h = image.height, n = image.channels;
    const bool swap = orientation >= 5;
    Image out;
    out.width = swap ? h : w;
    out.height = swap ? w : h;
    out.channels = n;
    out.pixels.resize(image.pixels.size());
    for (int32_t y = 0; y < out.height; ++y) {
        uint8_t* d = out.row(y);
        for (int32_t x = 0; x < out.width; ++x, d += n) {
            int32_t sx = x, sy = y;
            switch (orientation) {
                case 2: sx = w - 1 - x; break;  // mirrored
                case 3:
                    sx = w - 1 - x;
                    sy = h - 1 - y;
                    break;                      // upside down
                case 4: sy = h - 1 - y; break;  // mirrored upside down
                case 5:
                    sx = y;
                    sy = x;
                    break;  // transposed
                case 6:
                    sx = y;
                    sy = h - 1 - x;
                    break;  // turn clockwise
                case 7:
                    sx = w - 1 - y;
                    sy = h - 1 - x;
                    break;  // transversed
                default:
                    sx = w - 1 - y;
                    sy = x;
                    break;  // 8: turn anticlockwise
            }
            const uint8_t* s = image.row(sy) + size_t(sx) * size_t(n);
            for (int32_t c = 0; c < n; ++c) d[c] = s[c];
        }
    }
    image = std::move(out);
}

}  // namespace rx::cli::codec
