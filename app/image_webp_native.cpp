// WebP through libwebp: still images only; grey is written as RGB, which WebP stores.
#include <webp/decode.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstring>

#include "app/image_codecs.h"

namespace rx::cli::codec {

namespace {

// The ICCP and EXIF chunks of an extended (VP8X) file.
void readWebpMetadata(const uint8_t* data, size_t size, Image& image) {
    if (size < 30 || std::memcmp(data + 12, "VP8X", 4) != 0 || !(data[20] & 0x28)) return;
    const WebPData file = {data, size};
    WebPMux* mux = WebPMuxCreate(&file, 0);
    if (!mux) return;
    WebPData chunk;
    if (WebPMuxGetChunk(mux, "ICCP", &chunk) == WEBP_MUX_OK)
        image.iccProfile.assign(chunk.bytes, chunk.bytes + chunk.size);
    if (WebPMuxGetChunk(mux, "EXIF", &chunk) == WEBP_MUX_OK) {
        // Some writers keep JPEG's "Exif\0\0" in front of the TIFF structure.
        const size_t skip = chunk.size > 6 && std::memcmp(chunk.bytes, "Exif\0\0", 6) == 0 ? 6 : 0;
        image.exif.assign(chunk.bytes + skip, chunk.bytes + chunk.size);
    }
    WebPMuxDelete(mux);
}

// `encoded` with the ICCP and EXIF chunks added; false when the muxer fails.
bool addWebpMetadata(const Image& image, const WebPData& encoded, Bytes& out) {
    WebPMux* mux = WebPMuxNew();
    if (!mux) return false;
    const bool icc = iccFits(image.iccProfile, false);  // WebP stores RGB, grey included
    const WebPData profile = {image.iccProfile.data(), image.iccProfile.size()};
    const WebPData exif = {image.exif.data(), image.exif.size()};
    WebPData assembled = {nullptr, 0};
    const bool ok = WebPMuxSetImage(mux, &encoded, 0) == WEBP_MUX_OK &&
                    (!icc || WebPMuxSetChunk(mux, "ICCP", &profile, 0) == WEBP_MUX_OK) &&
                    (image.exif.empty() || WebPMuxSetChunk(mux, "EXIF", &exif, 0) == WEBP_MUX_OK) &&
                    WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK;
    if (ok) out.assign(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    WebPMuxDelete(mux);
    return ok;
}

}  // namespace

bool decodeWebp(const uint8_t* data, size_t size, Image& image, const ReadOptions& options,
                std::string& error) {
    (void)options;  // WebP holds 8-bit channels only
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) {
        error = "is not a readable WebP image";
        return false;
    }
    if (features.has_animation) {
        error = "is an animated WebP image; radiantix renders still images";
        return false;
    }
    error = sizeProblem(features.width, features.height);
    if (!error.empty()) return false;
    const int32_t channels = features.has_alpha ? 4 : 3;
    if (!allocate(image, features.width, features.height, channels, error)) return false;
    const int stride = features.width * channels;
    uint8_t* ok =
        channels == 4
            ? WebPDecodeRGBAInto(data, size, image.pixels.data(), image.pixels.size(), stride)
            : WebPDecodeRGBInto(data, size, image.pixels.data(), image.pixels.size(), stride);
    if (!ok) {
        error = "is a damaged or truncated WebP image";
        return false;
    }
    readWebpMetadata(data, size, image);
    return true;
}

bool encodeWebp(const Image& image, int quality, Bytes& out, std::string& error) {
    if (image.width > WEBP_MAX_DIMENSION || image.height > WEBP_MAX_DIMENSION) {
        error = "WebP holds at most " + std::to_string(WEBP_MAX_DIMENSION) + " x " +
                std::to_string(WEBP_MAX_DIMENSION) + " pixels";
        return false;
    }
    const Image* source = &image;
    Image rgb;
    if (image.isGrey()) {  // WebP has no grey: repeat the grey value in R, G and B
        const int32_t n = image.hasAlpha() ? 4 : 3;
        if (!allocate(rgb, image.width, image.height, n, error)) return false;
        const size_t count = size_t(image.width) * size_t(image.height);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* s = &image.pixels[i * size_t(image.channels)];
            uint8_t* d = &rgb.pixels[i * size_t(n)];
            d[0] = d[1] = d[2] = s[0];
            if (n == 4) d[3] = s[1];
        }
        source = &rgb;
    }
    uint8_t* encoded = nullptr;
    const int stride = source->width * source->channels;
    size_t size = source->channels == 4
                      ? WebPEncodeRGBA(source->pixels.data(), source->width, source->height, stride,
                                       float(quality), &encoded)
                      : WebPEncodeRGB(source->pixels.data(), source->width, source->height, stride,
                                      float(quality), &encoded);
    if (!size) {
        WebPFree(encoded);
        error = "cannot encode the WebP image";
        return false;
    }
    bool ok = true;
    if (image.iccProfile.empty() && image.exif.empty())
        out.assign(encoded, encoded + size);
    else
        ok = addWebpMetadata(image, WebPData{encoded, size}, out);
    WebPFree(encoded);
    if (!ok) error = "cannot add the colour profile and EXIF block to the WebP image";
    return ok;
}

}  // namespace rx::cli::codec
