// What every build's codecs share: size limits, the refusal of deep images, and the EXIF
// block, orientation and colour profile of JPEG files (read from the file's bytes, so every
// decoder agrees).
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
           "; radiantix renders 8- and 16-bit images and does not reduce them silently: "
           "convert it first (e.g. convert IN -depth 16 OUT.png)";
}

bool allocate(Image& image, int32_t width, int32_t height, int32_t channels, std::string& error,
              int32_t depth) {
    image.width = width;
    image.height = height;
    image.channels = channels;
    image.depth = depth;
    try {
        const size_t size = size_t(height) * image.rowBytes();
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

// Where the orientation value sits in an EXIF block's TIFF structure (IFD0, tag 0x0112,
// type SHORT, one value held in the entry itself), and the byte order; 0 when it has none.
size_t orientationAt(const uint8_t* tiff, size_t size, bool& big) {
    if (size < 8) return 0;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        big = true;
    else if (tiff[0] == 'I' && tiff[1] == 'I')
        big = false;
    else
        return 0;
    uint32_t ifd = get32(tiff + 4, big);
    if (ifd > size - 2) return 0;
    uint32_t entries = get16(tiff + ifd, big);
    for (uint32_t i = 0; i < entries; ++i) {
        size_t at = size_t(ifd) + 2 + size_t(i) * 12;
        if (at + 12 > size) return 0;
        const uint8_t* e = tiff + at;
        if (get16(e, big) != 0x0112) continue;
        if (get16(e + 2, big) != 3 || get32(e + 4, big) != 1) return 0;
        return at + 8;
    }
    return 0;
}

int exifOrientation(const uint8_t* tiff, size_t size) {
    bool big = false;
    const size_t at = orientationAt(tiff, size, big);
    const uint32_t v = at ? get16(tiff + at, big) : 1;
    return v >= 1 && v <= 8 ? int(v) : 1;
}

// The pieces of an ICC profile split over APP2 markers: "ICC_PROFILE\0", the piece's number
// from 1, the count of pieces, then the bytes.
struct IccPieces {
    std::vector<std::pair<const uint8_t*, size_t>> pieces;
    bool broken = false;

    void add(const uint8_t* body, size_t size) {
        const size_t number = body[12], count = body[13];
        if (number < 1 || number > count || (!pieces.empty() && pieces.size() != count)) {
            broken = true;
            return;
        }
        pieces.resize(count);
        if (pieces[number - 1].first) broken = true;
        pieces[number - 1] = {body + 14, size - 14};
    }
    std::vector<uint8_t> profile() const {
        std::vector<uint8_t> out;
        if (broken) return out;
        for (const auto& p : pieces) {
            if (!p.first) return {};
            out.insert(out.end(), p.first, p.first + p.second);
        }
        return out;
    }
};

}  // namespace

void markExifUpright(std::vector<uint8_t>& exif) {
    bool big = false;
    const size_t at = orientationAt(exif.data(), exif.size(), big);
    if (!at) return;
    exif[at] = uint8_t(big ? 0 : 1);
    exif[at + 1] = uint8_t(big ? 1 : 0);
    // Unlink IFD1, the thumbnail: it shows the picture as it was before.
    const size_t ifd = get32(exif.data() + 4, big);
    const size_t next = ifd + 2 + size_t(get16(exif.data() + ifd, big)) * 12;
    if (next + 4 <= exif.size()) std::fill_n(exif.begin() + long(next), 4, 0);
}

int readJpegMetadata(const uint8_t* data, size_t size, Image& image) {
    // Walk the markers after SOI up to the first scan: APP1 "Exif\0\0", APP2 "ICC_PROFILE\0".
    IccPieces icc;
    int orientation = 1;
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xff) break;
        uint8_t marker = data[at + 1];
        if (marker == 0xff) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xda || marker == 0xd9) break;  // start of scan, end of image
        size_t length = size_t(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || at + 2 + length > size) break;
        const uint8_t* body = data + at + 4;
        size_t bodySize = length - 2;
        if (marker == 0xe1 && bodySize >= 6 && image.exif.empty() &&
            std::equal(body, body + 6, "Exif\0\0")) {
            image.exif.assign(body + 6, body + bodySize);
            orientation = exifOrientation(image.exif.data(), image.exif.size());
            markExifUpright(image.exif);
        }
        if (marker == 0xe2 && bodySize > 14 && std::equal(body, body + 12, "ICC_PROFILE\0"))
            icc.add(body, bodySize);
        at += 2 + length;
    }
    image.iccProfile = icc.profile();
    return orientation;
}

bool iccFits(const std::vector<uint8_t>& profile, bool grey) {
    // The data colour space, bytes 16 to 19 of the profile's header.
    return profile.size() >= 128 &&
           std::equal(profile.begin() + 16, profile.begin() + 20, grey ? "GRAY" : "RGB ");
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
    image.width = out.width;
    image.height = out.height;
    image.pixels = std::move(out.pixels);
}

}  // namespace rx::cli::codec
