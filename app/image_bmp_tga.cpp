// BMP and TGA, read and written by our own code in every build. A file is checked against
// what its header claims before any pixel memory is taken: a truncated file is refused,
// never rendered over made-up pixels.
#include <algorithm>

#include "app/image_codecs.h"

namespace rx::cli::codec {

namespace {

uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }

void put16(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void put32(Bytes& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

std::string truncated(uint64_t needed, size_t size) {
    return "is truncated: its header needs " + std::to_string(needed) + " bytes, the file has " +
           std::to_string(size);
}

// One colour mask of a BMP: where its bits lie, and how to widen them to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit Channel(uint32_t m = 0) : mask(m) {
        if (!m) return;
        while (!(m & 1)) {
            m >>= 1;
            ++shift;
        }
        max = m;
    }
    uint8_t value(uint32_t px) const {
        if (!mask) return 0;
        uint32_t v = (px & mask) >> shift;
        return uint8_t(max == 255 ? v : (uint64_t(v) * 255 + max / 2) / max);
    }
};

// Whether each mask is one run of bits (a mask like 0x0f0f would misread colours).
bool contiguous(uint32_t m) {
    if (!m) return true;
    while (!(m & 1)) m >>= 1;
    return (m & (m + 1)) == 0;
}

}  // namespace

bool decodeBmp(const uint8_t* data, size_t size, Image& image, std::string& error) {
    if (size < 26) {
        error = truncated(26, size);
        return false;
    }
    const uint32_t offBits = le32(data + 10), headerSize = le32(data + 14);
    int64_t width, height;
    uint32_t bpp, compression = 0, colours = 0;
    if (headerSize == 12) {  // OS/2 core header
        width = le16(data + 18);
        height = int16_t(le16(data + 20));
        bpp = le16(data + 24);
    } else if (headerSize >= 40 && headerSize <= 124) {
        if (size < 14 + size_t(headerSize)) {
            error = truncated(14 + headerSize, size);
            return false;
        }
        width = int32_t(le32(data + 18));
        height = int32_t(le32(data + 22));
        bpp = le16(data + 28);
        compression = le32(data + 30);
        colours = le32(data + 46);
    } else {
        error = "is not a BMP image of a kind we read (header of " + std::to_string(headerSize) +
                " bytes)";
        return false;
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    std::string problem = sizeProblem(width, height);
    if (!problem.empty()) {
        error = problem;
        return false;
    }
    // Masks: BI_BITFIELDS (3) and BI_ALPHABITFIELDS (6) give them after a 40-byte header or
    // inside a larger one; plain 16- and 32-bit files have fixed ones.
    uint32_t masks[4] = {0, 0, 0, 0};
    size_t paletteAt = 14 + headerSize;
    if (compression == 3 || compression == 6) {
        if (bpp != 16 && bpp != 32) {
            error = "is a BMP image with colour masks at " + std::to_string(bpp) + " bits";
            return false;
        }
        const size_t count = compression == 6 ? 4 : 3;
        if (headerSize == 40) paletteAt += count * 4;
        if (size < 54 + count * 4) {
            error = truncated(54 + count * 4, size);
            return false;
        }
        for (size_t i = 0; i < count; ++i) masks[i] = le32(data + 54 + i * 4);
        if (headerSize >= 56 && compression == 3) masks[3] = le32(data + 66);
    } else if (compression != 0) {
        error = "is a compressed BMP image (compression " + std::to_string(compression) +
                "), which we do not read";
        return false;
    } else if (bpp == 16) {
        masks[0] = 0x7c00, masks[1] = 0x03e0, masks[2] = 0x001f;
    } else if (bpp == 32) {
        masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff, masks[3] = 0xff000000;
    }
    for (uint32_t m : masks)
        if (!contiguous(m)) {
            error = "is a BMP image with scattered colour masks";
            return false;
        }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        error = "is a BMP image with " + std::to_string(bpp) + " bits per pixel";
        return false;
    }
    // The palette of 1, 4 and 8-bit files, as RGB.
    std::vector<uint8_t> palette;
    if (bpp <= 8) {
        const size_t entry = headerSize == 12 ? 3 : 4;
        size_t count = colours ? colours : size_t(1) << bpp;
        if (count > 256) {
            error = "is a BMP image with a palette of " + std::to_string(count) + " colours";
            return false;
        }
        if (paletteAt + count * entry > size) {
            error = truncated(paletteAt + count * entry, size);
            return false;
        }
        palette.assign(256 * 3, 0);
        for (size_t i = 0; i < count; ++i)
            for (int c = 0; c < 3; ++c) palette[i * 3 + c] = data[paletteAt + i * entry + 2 - c];
    }
    const uint64_t stride = (uint64_t(width) * bpp + 31) / 32 * 4;
    const uint64_t needed = uint64_t(offBits) + stride * uint64_t(height);
    if (offBits < 14 + headerSize || needed > size) {
        error = truncated(needed, size);
        return false;
    }
    const Channel r(masks[0]), g(masks[1]), b(masks[2]), a(masks[3]);
    const int32_t channels = masks[3] ? 4 : 3;
    if (!allocate(image, int32_t(width), int32_t(height), channels, error)) return false;
    bool anyAlpha = false;
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* src = data + offBits + stride * uint64_t(topDown ? y : image.height - 1 - y);
        uint8_t* d = image.row(y);
        for (int32_t x = 0; x < image.width; ++x, d += channels) {
            if (bpp <= 8) {
                const uint32_t bit = uint32_t(x) * bpp;
                const uint32_t index = (src[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                std::copy_n(&palette[index * 3], 3, d);
            } else if (bpp == 24) {
                d[0] = src[x * 3 + 2], d[1] = src[x * 3 + 1], d[2] = src[x * 3];
            } else {
                const uint32_t px = bpp == 16 ? le16(src + x * 2) : le32(src + x * 4);
                d[0] = r.value(px), d[1] = g.value(px), d[2] = b.value(px);
                if (channels == 4) {
                    d[3] = a.value(px);
                    anyAlpha = anyAlpha || d[3] != 0;
                }
            }
        }
    }
    // Many programs write 32-bit files with the fourth byte left 0: that is no alpha.
    if (channels == 4 && !anyAlpha) {
        const size_t count = size_t(image.width) * size_t(image.height);
        for (size_t i = 0; i < count; ++i)
            std::copy_n(&image.pixels[i * 4], 3, &image.pixels[i * 3]);
        image.channels = 3;
        image.pixels.resize(count * 3);
    }
    return true;
}

bool encodeBmp(const Image& image, Bytes& out, std::string& error) {
    (void)error;
    // 24-bit without alpha; 32-bit with an alpha mask (a version 4 header) with it.
    const bool alpha = image.hasAlpha();
    const uint32_t bpp = alpha ? 32 : 24, headerSize = alpha ? 108 : 40;
    const uint32_t stride = (uint32_t(image.width) * bpp / 8 + 3) & ~3u;
    const uint32_t offBits = 14 + headerSize;
    const uint64_t fileSize = offBits + uint64_t(stride) * uint64_t(image.height);
    out.reserve(size_t(fileSize));
    out.push_back('B');
    out.push_back('M');
    put32(out, fileSize > 0xffffffffu ? 0 : uint32_t(fileSize));
    put32(out, 0);
    put32(out, offBits);
    put32(out, headerSize);
    put32(out, uint32_t(image.width));
    put32(out, uint32_t(image.height));  // bottom-up, as most readers expect
    put16(out, 1);
    put16(out, bpp);
    put32(out, alpha ? 3 : 0);
    put32(out, stride * uint32_t(image.height));
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    if (alpha) {
        for (uint32_t m : {0x00ff0000u, 0x0000ff00u, 0x000000ffu, 0xff000000u}) put32(out, m);
        put32(out, 0x73524742);        // 'sRGB'
        out.insert(out.end(), 48, 0);  // end points and gamma, unused for sRGB
    }
    const int32_t n = image.channels;
    for (int32_t y = image.height - 1; y >= 0; --y) {
        const uint8_t* s = image.row(y);
        const size_t start = out.size();
        for (int32_t x = 0; x < image.width; ++x, s += n) {
            const bool grey = n <= 2;
            out.push_back(grey ? s[0] : s[2]);
            out.push_back(grey ? s[0] : s[1]);
            out.push_back(s[0]);
            if (alpha) out.push_back(s[n - 1]);
        }
        out.resize(start + stride, 0);
    }
    return true;
}

bool looksLikeTga(const uint8_t* data, size_t size) {
    if (size < 18) return false;
    const uint8_t mapType = data[1], type = data[2], bpp = data[16];
    if (mapType > 1) return false;
    switch (type) {
        case 1:
        case 9: return mapType == 1 && bpp == 8;
        case 2:
        case 10: return mapType == 0 && (bpp == 15 || bpp == 16 || bpp == 24 || bpp == 32);
        case 3:
        case 11: return mapType == 0 && (bpp == 8 || bpp == 16);
        default: return false;
    }
}

bool decodeTga(const uint8_t* data, size_t size, Image& image, std::string& error) {
    if (!looksLikeTga(data, size)) {
        error = "is not a TGA image of a kind we read";
        return false;
    }
    const uint32_t idLength = data[0], type = data[2];
    const uint32_t mapFirst = le16(data + 3), mapLength = le16(data + 5), mapBits = data[7];
    const int64_t width = le16(data + 12), height = le16(data + 14);
    const uint32_t bpp = data[16], descriptor = data[17];
    std::string problem = sizeProblem(width, height);
    if (!problem.empty()) {
        error = problem;
        return false;
    }
    const bool mapped = type == 1 || type == 9, grey = type == 3 || type == 11;
    const bool rle = type >= 9;
    const uint32_t pixelBytes = (bpp + 7) / 8;
    // Colour map entries, as RGBA.
    size_t at = 18 + idLength;
    std::vector<uint8_t> map;
    uint32_t mapBytes = 0;
    if (data[1] == 1) {
        mapBytes = (mapBits + 7) / 8;
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) {
            error = "is a TGA image with " + std::to_string(mapBits) + "-bit palette entries";
            return false;
        }
        if (at + size_t(mapLength) * mapBytes > size) {
            error = truncated(at + size_t(mapLength) * mapBytes, size);
            return false;
        }
    }
    // What a pixel is after the palette: grey, grey + alpha, RGB or RGBA.
    const uint32_t colourBits = mapped ? mapBits : bpp;
    const int32_t channels = grey ? (bpp == 16 ? 2 : 1) : (colourBits == 32 ? 4 : 3);
    auto toPixel = [&](const uint8_t* p, uint8_t* d) {
        if (grey) {
            d[0] = p[0];
            if (channels == 2) d[1] = p[1];
        } else if (colourBits >= 24) {
            d[0] = p[2], d[1] = p[1], d[2] = p[0];
            if (channels == 4) d[3] = p[3];
        } else {  // 5 bits per colour: xRRRRRGG GGGBBBBB
            const uint32_t v = le16(p);
            d[0] = uint8_t(((v >> 10) & 31) * 255 / 31);
            d[1] = uint8_t(((v >> 5) & 31) * 255 / 31);
            d[2] = uint8_t((v & 31) * 255 / 31);
        }
    };
    if (mapped) {
        map.assign(256 * 4, 0);
        for (uint32_t i = 0; i < mapLength; ++i)
            if (mapFirst + i < 256)
                toPixel(data + at + size_t(i) * mapBytes, &map[(mapFirst + i) * 4]);
    }
    at += size_t(mapLength) * mapBytes;
    const uint64_t count = uint64_t(width) * uint64_t(height);
    // A packet of run-length data gives at most 128 pixels.
    const uint64_t needed =
        at + (rle ? (count + 127) / 128 * (1 + pixelBytes) : count * pixelBytes);
    if (needed > size) {
        error = truncated(needed, size);
        return false;
    }
    if (!allocate(image, int32_t(width), int32_t(height), channels, error)) return false;
    const bool topDown = descriptor & 0x20, rightToLeft = descriptor & 0x10;
    auto put = [&](uint64_t i, const uint8_t* p) {
        int32_t x = int32_t(i % uint64_t(width)), y = int32_t(i / uint64_t(width));
        if (!topDown) y = image.height - 1 - y;
        if (rightToLeft) x = image.width - 1 - x;
        uint8_t* d = image.row(y) + size_t(x) * size_t(channels);
        if (mapped)
            std::copy_n(&map[size_t(p[0]) * 4], channels, d);
        else
            toPixel(p, d);
    };
    const uint8_t* p = data + at;
    const uint8_t* end = data + size;
    for (uint64_t i = 0; i < count;) {
        if (!rle) {
            put(i++, p);
            p += pixelBytes;
            continue;
        }
        if (p >= end) {
            error = "is truncated: its run-length data ends early";
            return false;
        }
        const uint32_t header = *p++, n = (header & 127) + 1;
        const bool run = header & 128;
        const size_t bytes = size_t(run ? 1 : n) * pixelBytes;
        if (size_t(end - p) < bytes) {
            error = "is truncated: its run-length data ends early";
            return false;
        }
        for (uint32_t k = 0; k < n && i < count; ++k) put(i++, p + (run ? 0 : k * pixelBytes));
        p += bytes;
    }
    return true;
}

bool encodeTga(const Image& image, Bytes& out, std::string& error) {
    (void)error;
    // Uncompressed, top-down; grey stays grey, grey + alpha becomes RGBA.
    const bool grey = image.channels == 1, alpha = image.hasAlpha();
    const uint32_t bpp = grey ? 8 : alpha ? 32 : 24;
    out.reserve(18 + size_t(image.width) * size_t(image.height) * bpp / 8);
    const uint8_t header[18] = {0,
                                0,
                                uint8_t(grey ? 3 : 2),
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                0,
                                uint8_t(image.width),
                                uint8_t(image.width >> 8),
                                uint8_t(image.height),
                                uint8_t(image.height >> 8),
                                uint8_t(bpp),
                                uint8_t(0x20 | (alpha ? 8 : 0))};
    out.insert(out.end(), header, header + 18);
    const int32_t n = image.channels;
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* s = image.row(y);
        for (int32_t x = 0; x < image.width; ++x, s += n) {
            if (grey) {
                out.push_back(s[0]);
                continue;
            }
            const bool g = n == 2;
            out.push_back(g ? s[0] : s[2]);
            out.push_back(g ? s[0] : s[1]);
            out.push_back(s[0]);
            if (alpha) out.push_back(s[n - 1]);
        }
    }
    return true;
}

}  // namespace rx::cli::codec
