// PNG through libpng: reading, and the chunks of a written file before its image data,
// which app/png_image_data.cpp compresses on several threads.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "app/image_codecs.h"
#include "app/png_image_data.h"

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

}  // namespace

bool decodePng(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
               std::string& error) {
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
    const png_uint_32 width = png_get_image_width(png, info),
                      height = png_get_image_height(png, info);
    const int bitDepth = png_get_bit_depth(png, info), colourType = png_get_color_type(png, info);
    error = sizeProblem(width, height);
    if (!error.empty()) png_longjmp(png, 1);
    // Deflate shrinks data at most about 1032 times: a header that claims far more pixels
    // than that is a broken or hostile file.
    const uint64_t raw = uint64_t(height) * (uint64_t(width) * 8 + 1);
    if (raw / 1032 > size) {
        error = "is truncated: its header claims " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels, far more than its " + std::to_string(size) +
                " bytes can hold";
        png_longjmp(png, 1);
    }
    if (bitDepth == 16) {
        if (!options.reduceDepth) {
            error = depthRefusal(16, false);
            png_longjmp(png, 1);
        }
        png_set_strip_16(png);  // the high byte, as every build's decoder does
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    if (channels < 1 || channels > 4 || png_get_rowbytes(png, info) != size_t(width) * channels) {
        error = "is a PNG image of a kind we do not read";
        png_longjmp(png, 1);
    }
    if (!allocate(image, int32_t(width), int32_t(height), channels, error)) png_longjmp(png, 1);
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
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8,
                 kTypes[image.channels], PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // libpng writes the signature and the chunks before the image data; the image data is
    // ours (compressed on several threads), and so is the end.
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
