// The formats of the Windows build: PNG and JPEG are read with stb_image, PNG is written
// with the image data of the native build (app/png_image_data.cpp) behind our own header,
// and BMP and TGA are the shared code. TIFF, WebP and JPEG output are native-build only.
#include <cstring>

#include "app/image_codecs.h"
#include "app/png_image_data.h"

#define STBI_NO_SIMD
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_FAILURE_USERMSG
#define STBI_MAX_DIMENSIONS 30000
#define STB_IMAGE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace rx::cli::codec {

namespace {

// stb_image 2.27 does not check that a Huffman table holds at most 256 codes and writes
// past its tables on such a file. Every DHT segment is checked here before stb sees it, one
// cut short by the end of the file too: stb reads zeros past the end and builds it anyway.
// Nor does stb check that a scan's tables were defined: it decodes with a table it never
// built (uninitialised memory) and indexes outside it, so such a scan is refused too.
bool huffmanTablesSound(const uint8_t* data, size_t size) {
    auto byteAt = [&](size_t i) -> size_t { return i < size ? data[i] : 0; };
    bool defined[2][4] = {};  // [DC, AC][table]
    bool progressive = false;
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xff) {  // entropy-coded data: skip to the next marker
            ++at;
            continue;
        }
        const uint8_t marker = data[at + 1];
        if (marker == 0x00 || marker == 0xff || (marker >= 0xd0 && marker <= 0xd7)) {
            ++at;
            continue;
        }
        if (marker == 0xd9) return true;
        const size_t length = size_t(data[at + 2]) << 8 | data[at + 3];
        if (length < 2) return true;  // stb reports the damage
        if (marker == 0xc4) {
            size_t p = at + 4, end = at + 2 + length;
            while (p < end) {
                if (end - p < 17) return false;
                size_t codes = 0;
                for (int i = 1; i <= 16; ++i) codes += byteAt(p + size_t(i));
                if (codes > 256 || end - p - 17 < codes) return false;
                const size_t kind = byteAt(p) >> 4, table = byteAt(p) & 15;
                if (kind < 2 && table < 4) defined[kind][table] = true;
                p += 17 + codes;
            }
        }
        if (marker == 0xc2) progressive = true;
        if (marker == 0xda) {
            // Which tables the scan decodes with: a progressive DC scan only the DC table (on
            // its first pass), a progressive AC scan only the AC table, any other scan both.
            const size_t components = byteAt(at + 4);
            const size_t spectralStart = byteAt(at + 5 + 2 * components);
            const bool firstPass = (byteAt(at + 7 + 2 * components) >> 4) == 0;
            const bool dc = !progressive || (spectralStart == 0 && firstPass);
            const bool ac = !progressive || spectralStart != 0;
            for (size_t c = 0; c < components; ++c) {
                const size_t tables = byteAt(at + 6 + 2 * c);
                if (dc && (tables >> 4) < 4 && !defined[0][tables >> 4]) return false;
                if (ac && (tables & 15) < 4 && !defined[1][tables & 15]) return false;
            }
        }
        if (at + 2 + length > size) return true;  // nothing follows for stb to read
        at += 2 + length;
    }
    return true;
}

bool decodeWithStb(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
                   std::string& error) {
    if (size > size_t(INT32_MAX)) {
        error = "is too large";
        return false;
    }
    const int length = int(size);
    int w = 0, h = 0, n = 0;
    if (!stbi_info_from_memory(data, length, &w, &h, &n)) {
        error = std::string("is not a readable image (") + stbi_failure_reason() + ")";
        return false;
    }
    error = sizeProblem(w, h);
    if (!error.empty()) return false;
    // 16-bit PNG channels are kept (stb hands them in the machine's order) unless asked to
    // reduce them: then stb keeps their high byte, as libpng's strip does.
    const bool deep = stbi_is_16_bit_from_memory(data, length) && !options.reduceDepth;
    void* pixels = deep ? static_cast<void*>(stbi_load_16_from_memory(data, length, &w, &h, &n, 0))
                        : static_cast<void*>(stbi_load_from_memory(data, length, &w, &h, &n, 0));
    if (!pixels) {
        error = std::string("cannot be decoded (") + stbi_failure_reason() + ")";
        return false;
    }
    bool ok = allocate(image, w, h, n, error, deep ? 16 : 8);
    if (ok) std::memcpy(image.pixels.data(), pixels, image.pixels.size());
    stbi_image_free(pixels);
    return ok;
}

}  // namespace

bool builtIn(ImageFormat format) {
    return format == ImageFormat::Png || format == ImageFormat::Bmp || format == ImageFormat::Tga;
}

bool decodePng(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
               std::string& error, uint8_t*) {
    return decodeWithStb(data, size, image, options, error);
}

bool decodeJpeg(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
                std::string& error) {
    if (!huffmanTablesSound(data, size)) {
        error =
            "is a damaged JPEG image (a Huffman table holds more than 256 codes, or a scan "
            "uses one it never defined)";
        return false;
    }
    return decodeWithStb(data, size, image, options, error);
}

bool decodeTiff(const uint8_t*, size_t, Image&, const ReadOptions&, std::string& error) {
    error = "is a TIFF image; the Windows build reads PNG, JPEG, BMP and TGA";
    return false;
}

bool decodeWebp(const uint8_t*, size_t, Image&, const ReadOptions&, std::string& error) {
    error = "is a WebP image; the Windows build reads PNG, JPEG, BMP and TGA";
    return false;
}

bool encodeJpeg(const Image&, int, Bytes&, std::string& error) {
    error = "the Windows build does not write JPEG";
    return false;
}

bool encodeTiff(const Image&, Bytes&, std::string& error) {
    error = "the Windows build does not write TIFF";
    return false;
}

bool encodeWebp(const Image&, int, Bytes&, std::string& error) {
    error = "the Windows build does not write WebP";
    return false;
}

bool encodePng(const Image& image, Bytes& out, std::string& error) {
    static const uint8_t kColourTypes[] = {0, 0, 4, 2, 6};
    const uint32_t w = uint32_t(image.width), h = uint32_t(image.height);
    const uint8_t header[13] = {uint8_t(w >> 24),
                                uint8_t(w >> 16),
                                uint8_t(w >> 8),
                                uint8_t(w),
                                uint8_t(h >> 24),
                                uint8_t(h >> 16),
                                uint8_t(h >> 8),
                                uint8_t(h),
                                uint8_t(image.depth == 16 ? 16 : 8),
                                kColourTypes[image.channels],
                                0,
                                0,
                                0};
    out.insert(out.end(), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'});
    appendPngChunk(out, "IHDR", header, sizeof header);
    if (!appendPngImageData(image, out)) {
        error = "cannot encode the PNG image: out of memory";
        return false;
    }
    appendPngChunk(out, "IEND", nullptr, 0);
    return true;
}

}  // namespace rx::cli::codec
