// JPEG through libjpeg-turbo. Errors of the library come back here by longjmp; a file
// that ends before its last scan is refused rather than finished in grey.
#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include "app/image_codecs.h"

namespace rx::cli::codec {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool truncated = false;
    char message[JMSG_LENGTH_MAX] = {};
};

void onError(j_common_ptr info) {
    auto* e = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, e->message);
    std::longjmp(e->jump, 1);
}

void onMessage(j_common_ptr info, int level) {
    auto* e = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) e->truncated = true;
}

// The EXIF block (APP1, when it fits one marker) and the colour profile (APP2 markers, as
// many as it needs), written after the JFIF header.
void writeJpegMetadata(jpeg_compress_struct& info, const Image& image) {
    static const uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!image.exif.empty() && image.exif.size() <= 65533 - sizeof kExif) {
        std::vector<uint8_t> body(kExif, kExif + sizeof kExif);
        body.insert(body.end(), image.exif.begin(), image.exif.end());
        jpeg_write_marker(&info, JPEG_APP0 + 1, body.data(), unsigned(body.size()));
    }
    if (iccFits(image.iccProfile, image.isGrey()))
        jpeg_write_icc_profile(&info, image.iccProfile.data(), unsigned(image.iccProfile.size()));
}

}  // namespace

bool decodeJpeg(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
                std::string& error) {
    (void)options;  // libjpeg-turbo is built for 8-bit samples: 12-bit files fail to open
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.emit_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        if (error.empty())
            error = std::string("is not a readable JPEG image (") + err.message + ")";
        return false;
    }
    error.clear();
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    error = sizeProblem(info.image_width, info.image_height);
    if (!error.empty()) std::longjmp(err.jump, 1);
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        error = "is a CMYK JPEG image; radiantix renders grey and RGB images (convert it to RGB)";
        std::longjmp(err.jump, 1);
    }
    info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    const int32_t channels = info.output_components;
    if (!allocate(image, int32_t(info.output_width), int32_t(info.output_height), channels, error))
        std::longjmp(err.jump, 1);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.row(int32_t(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (err.truncated) {
        error = "is truncated: the JPEG data ends before the picture does";
        return false;
    }
    return true;
}

bool encodeJpeg(const Image& image, int quality, Bytes& out, std::string& error) {
    jpeg_compress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        error = std::string("cannot encode the JPEG image (") + err.message + ")";
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &length);
    info.image_width = JDIMENSION(image.width);
    info.image_height = JDIMENSION(image.height);
    info.input_components = image.channels;
    info.in_color_space = image.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // EXIF readers look for their block right after the start of the file, where the JFIF
    // header would be; an EXIF file needs no JFIF header.
    if (!image.exif.empty()) info.write_JFIF_header = FALSE;
    jpeg_start_compress(&info, TRUE);
    writeJpegMetadata(info, image);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(image.row(int32_t(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    out.assign(buffer, buffer + length);
    std::free(buffer);
    return true;
}

}  // namespace rx::cli::codec
