// PNG through libpng: reading, and the chunks of a written file before its image data,
// which app/png_image_data.cpp compresses on several threads.
#include <libdeflate.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

#include "app/image_codecs.h"
#include "app/png_image_data.h"
#include "platform/frame_memory.h"

namespace rx::cli::codec {

namespace {

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at;
};

struct ErrorSink {
    std::string message;
};

void onError(png_structp png, png_const_charp message) {
    auto* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
    if (sink) sink->message = message;
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void readBytes(png_structp png, png_bytep out, png_size_t n) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (r->size - r->at < n) png_error(png, "the file ends early");
    std::memcpy(out, r->data + r->at, n);
    r->at += n;
}

void writeBytes(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

void flushNothing(png_structp) {}

// The colour profile (iCCP) and EXIF block (eXIf) met before the pixels.
void readPngMetadata(png_structp png, png_infop info, Image& image) {
    png_charp name = nullptr;
    png_bytep profile = nullptr, exif = nullptr;
    png_uint_32 profileSize = 0, exifSize = 0;
    int compression = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &profileSize) && profile)
        image.iccProfile.assign(profile, profile + profileSize);
    if (png_get_eXIf_1(png, info, &exifSize, &exif) && exif)
        image.exif.assign(exif, exif + exifSize);
}

// A profile libpng finds fault with (a grey one on RGB pixels, say) is left out with a
// warning instead of failing the file.
void writePngMetadata(png_structp png, png_infop info, const Image& image) {
    png_set_benign_errors(png, 1);
    if (iccFits(image.iccProfile, image.isGrey()))
        png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, image.iccProfile.data(),
                     png_uint_32(image.iccProfile.size()));
    if (!image.exif.empty())
        png_set_eXIf_1(png, info, png_uint_32(image.exif.size()),
                       const_cast<png_bytep>(image.exif.data()));
}

bool littleEndian() {
    const uint16_t one = 1;
    uint8_t first;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

uint32_t bigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint8_t paeth(uint8_t a, uint8_t b, uint8_t c) {
    const int p = a + b - c, pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p,
              pc = p > c ? p - c : c - p;
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// The SUB filter undone for pixels of BPP bytes, the pixel to the left kept in registers.
template <int BPP>
void unfilterSub(const uint8_t* src, uint8_t* dst, size_t pixels) {
    uint8_t l0 = 0, l1 = 0, l2 = 0, l3 = 0;
    for (size_t x = 0; x < pixels; ++x, src += BPP, dst += BPP) {
        dst[0] = l0 = uint8_t(l0 + src[0]);
        if (BPP > 1) dst[1] = l1 = uint8_t(l1 + src[1]);
        if (BPP > 2) dst[2] = l2 = uint8_t(l2 + src[2]);
        if (BPP > 3) dst[3] = l3 = uint8_t(l3 + src[3]);
    }
}

// Undoes the filter of one row into `dst`, which lies before `src` (rows move up by the
// filter bytes before them), so every byte is read before its place is written. `up` is
// the row above, already unfiltered, or null for the first row.
bool unfilterRow(uint8_t filter, const uint8_t* src, uint8_t* dst, const uint8_t* up,
                 size_t rowBytes, size_t bpp) {
    const size_t lead = std::min(bpp, rowBytes);
    switch (filter) {
        case 0: std::memmove(dst, src, rowBytes); return true;
        case 1:
            switch (bpp) {
                case 1: unfilterSub<1>(src, dst, rowBytes); return true;
                case 2: unfilterSub<2>(src, dst, rowBytes / 2); return true;
                case 3: unfilterSub<3>(src, dst, rowBytes / 3); return true;
                case 4: unfilterSub<4>(src, dst, rowBytes / 4); return true;
                default: break;
            }
            for (size_t i = 0; i < lead; ++i) dst[i] = src[i];
            for (size_t i = bpp; i < rowBytes; ++i) dst[i] = uint8_t(src[i] + dst[i - bpp]);
            return true;
        case 2:
            for (size_t i = 0; i < rowBytes; ++i) dst[i] = uint8_t(src[i] + (up ? up[i] : 0));
            return true;
        case 3:
            for (size_t i = 0; i < rowBytes; ++i) {
                const int left = i >= bpp ? dst[i - bpp] : 0, above = up ? up[i] : 0;
                dst[i] = uint8_t(src[i] + ((left + above) >> 1));
            }
            return true;
        case 4:
            for (size_t i = 0; i < rowBytes; ++i) {
                const uint8_t left = i >= bpp ? dst[i - bpp] : 0, above = up ? up[i] : 0,
                              corner = up && i >= bpp ? up[i - bpp] : 0;
                dst[i] = uint8_t(src[i] + paeth(left, above, corner));
            }
            return true;
        default: return false;
    }
}

// The pixels of an 8-bit file without interlacing or transparency key, read past libpng's
// rows: libpng has read the chunks up to the first IDAT's head, and `at` is where its data
// starts. The IDAT chunks are checked (CRC) and joined, inflated in one go by libdeflate,
// several times faster than zlib on the long runs of a filtered picture, and unfiltered in
// place. Chunks after the image data are not read.
bool readImageData(const uint8_t* data, size_t size, size_t at, int32_t width, int32_t height,
                   int32_t channels, Image& image, std::string& error, uint8_t* spendable) {
    size_t total = 0, chunks = 0, end = at - 8;
    for (; size - end >= 8 && std::memcmp(data + end + 4, "IDAT", 4) == 0; ++chunks) {
        const size_t length = bigEndian(data + end);
        if (size - end < 12 || length > size - end - 12) {
            error = "is a truncated PNG image (its image data ends early)";
            return false;
        }
        const uint8_t* payload = data + end + 8;
        if (libdeflate_crc32(libdeflate_crc32(0, data + end + 4, 4), payload, length) !=
            bigEndian(payload + length)) {
            error = "is a damaged PNG image (a CRC of its image data does not match)";
            return false;
        }
        total += length;
        end += 12 + length;
    }
    // One chunk is inflated where it lies; more are joined first, where they lie when the
    // file's bytes may be spent.
    std::vector<uint8_t> joined;
    const uint8_t* stream = data + at;
    if (chunks > 1 && spendable) {
        // The first chunk's data stays; each later chunk's data moves up over the heads
        // and CRCs before it.
        size_t to = at + bigEndian(data + at - 8);
        for (size_t c = to + 4; c < end;) {
            const size_t length = bigEndian(spendable + c);
            std::memmove(spendable + to, spendable + c + 8, length);
            to += length;
            c += 12 + length;
        }
    } else if (chunks > 1) {
        joined.reserve(total);
        platform::adviseHugePages(joined.data(), total);
        for (size_t c = at - 8; c < end; c += 12 + bigEndian(data + c))
            joined.insert(joined.end(), data + c + 8, data + c + 8 + bigEndian(data + c));
        stream = joined.data();
    }
    const size_t rowBytes = size_t(width) * size_t(channels);
    const size_t filtered = size_t(height) * (rowBytes + 1);
    image.width = width;
    image.height = height;
    image.channels = channels;
    image.depth = 8;
    image.pixels.reserve(filtered);
    platform::adviseHugePages(image.pixels.data(), filtered);
    image.pixels.resize(filtered);
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    if (!inflater) throw std::bad_alloc();
    size_t produced = 0;
    const libdeflate_result result = libdeflate_zlib_decompress(
        inflater, stream, total, image.pixels.data(), filtered, &produced);
    libdeflate_free_decompressor(inflater);
    std::vector<uint8_t>().swap(joined);
    if (result == LIBDEFLATE_SUCCESS && produced < filtered) {
        error = "is a truncated PNG image (its image data ends early)";
        return false;
    }
    if (result != LIBDEFLATE_SUCCESS) {
        error = result == LIBDEFLATE_INSUFFICIENT_SPACE
                    ? "is a damaged PNG image (it holds more image data than its size)"
                    : "is a damaged or truncated PNG image (its image data does not inflate)";
        return false;
    }
    uint8_t* px = image.pixels.data();
    for (size_t y = 0; y < size_t(height); ++y) {
        const uint8_t* src = px + y * (rowBytes + 1);
        uint8_t* dst = px + y * rowBytes;
        if (!unfilterRow(src[0], src + 1, dst, y ? dst - rowBytes : nullptr, rowBytes,
                         size_t(channels))) {
            error = "is a damaged PNG image (a row has an unknown filter)";
            return false;
        }
    }
    image.pixels.resize(size_t(height) * rowBytes);
    return true;
}

}  // namespace

bool decodePng(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
               std::string& error, uint8_t* spendable) {
    error.clear();
    ErrorSink sink;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &sink, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        error = "cannot be read: out of memory";
        return false;
    }
    Reader reader{data, size, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        if (error.empty()) error = "is not a readable PNG image (" + sink.message + ")";
        return false;
    }
    png_set_read_fn(png, &reader, readBytes);
    // The limits are ours; libpng's own default refuses nothing we accept.
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(png, 64u << 20);
    png_read_info(png, info);
    readPngMetadata(png, info, image);
    const png_uint_32 width = png_get_image_width(png, info),
                      height = png_get_image_height(png, info);
    const int bitDepth = png_get_bit_depth(png, info), colourType = png_get_color_type(png, info);
    error = sizeProblem(width, height);
    if (!error.empty()) png_longjmp(png, 1);
    // Deflate shrinks data at most about 1032 times: a header that claims far more pixels
    // than that is a broken or hostile file.
    const uint64_t raw = uint64_t(height) * (uint64_t(png_get_rowbytes(png, info)) + 1);
    if (raw / 1032 > size) {
        error = "is truncated: its header claims " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels, far more than its " + std::to_string(size) +
                " bytes can hold";
        png_longjmp(png, 1);
    }
    const bool deep = bitDepth == 16 && !options.reduceDepth;
    if (bitDepth == 16) {
        if (options.reduceDepth)
            png_set_strip_16(png);  // the high byte, as every build's decoder does
        else if (littleEndian())
            png_set_swap(png);  // PNG stores 16-bit samples big-endian
    }
    const size_t at = reader.at;
    if (bitDepth == 8 && colourType != PNG_COLOR_TYPE_PALETTE &&
        png_get_interlace_type(png, info) == PNG_INTERLACE_NONE &&
        !png_get_valid(png, info, PNG_INFO_tRNS) && at >= 16 &&
        std::memcmp(data + at - 4, "IDAT", 4) == 0) {
        const int channels = png_get_channels(png, info);
        png_destroy_read_struct(&png, &info, nullptr);
        return readImageData(data, size, at, int32_t(width), int32_t(height), channels, image,
                             error, spendable);
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    if (channels < 1 || channels > 4 ||
        png_get_rowbytes(png, info) != size_t(width) * channels * (deep ? 2 : 1)) {
        error = "is a PNG image of a kind we do not read";
        png_longjmp(png, 1);
    }
    if (!allocate(image, int32_t(width), int32_t(height), channels, error, deep ? 16 : 8))
        png_longjmp(png, 1);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.row(int32_t(y));
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool encodePng(const Image& image, Bytes& out, std::string& error) {
    ErrorSink sink;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        error = "cannot encode the PNG image: out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "cannot encode the PNG image (" + sink.message + ")";
        return false;
    }
    static const int kTypes[] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA,
                                 PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGB_ALPHA};
    png_set_write_fn(png, &out, writeBytes, flushNothing);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), image.depth,
                 kTypes[image.channels], PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // libpng writes the signature and the chunks before the image data; the image data is
    // ours (compressed on several threads), and so is the end.
    writePngMetadata(png, info, image);
    png_write_info(png, info);
    png_destroy_write_struct(&png, &info);
    if (!appendPngImageData(image, out)) {
        error = "cannot encode the PNG image: out of memory";
        return false;
    }
    appendPngChunk(out, "IEND", nullptr, 0);
    return true;
}

}  // namespace rx::cli::codec
