// WebP through libwebp: still images only; grey is written as RGB, which WebP stores.
#include <webp/decode.h>
#include <webp/encode.h>

#include "app/image_codecs.h"

namespace rx::cli::codec {

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
    out.assign(encoded, encoded + size);
    WebPFree(encoded);
    return true;
}

}  // namespace rx::cli::codec
