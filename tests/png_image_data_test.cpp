// PNG image data compressed in blocks of rows on several threads joins into one zlib stream
// that gives back every pixel; files of other writers have every row filter undone.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "app/image_io.h"
#include "app/png_image_data.h"

namespace rx::cli {
namespace {

TEST(PngImageData, BlocksJoinIntoOneStreamThatGivesBackEveryPixel) {
    struct Case {
        int32_t width, height, channels, blockRows;
    };
    const Case cases[] = {
        {1, 1, 1, 0}, {1, 1, 4, 1},  {1, 40, 3, 1}, {40, 1, 3, 1},   {5, 7, 2, 3},
        {5, 9, 4, 3}, {7, 23, 3, 2}, {3, 33, 1, 1}, {301, 64, 3, 7}, {2000, 300, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " x " << c.channels
                                          << ", rows per block " << c.blockRows);
        Image in{c.width, c.height, c.channels, 8, {}, {}, {}};
        in.pixels.resize(in.rowBytes() * size_t(c.height));
        uint32_t state = 7;
        for (uint8_t& v : in.pixels) {  // noise on runs, so both literals and runs occur
            state = state * 1664525u + 1013904223u;
            v = uint8_t((state >> 28) < 5 ? state >> 20 : 9);
        }
        static const uint8_t kColourTypes[] = {0, 0, 4, 2, 6};
        uint8_t ihdr[13] = {0, 0, 0, 0, 0, 0, 0, 0, 8, kColourTypes[c.channels]};
        ihdr[2] = uint8_t(c.width >> 8), ihdr[3] = uint8_t(c.width);
        ihdr[6] = uint8_t(c.height >> 8), ihdr[7] = uint8_t(c.height);
        std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
        codec::appendPngChunk(file, "IHDR", ihdr, sizeof ihdr);
        ASSERT_TRUE(codec::appendPngImageData(in, file, c.blockRows));
        codec::appendPngChunk(file, "IEND", nullptr, 0);

        // The reader inflates with a check of the stream's Adler-32 and its end. From memory
        // the chunks' data is joined in a copy, from a file where it lies.
        const std::string path = ::testing::TempDir() + "png_image_data.png";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        Image fromMemory, fromFile;
        std::string error;
        ASSERT_TRUE(decodeImage(file.data(), file.size(), fromMemory, error)) << error;
        ASSERT_TRUE(loadImage(path, fromFile, error)) << error;
        std::remove(path.c_str());
        for (const Image* out : {&fromMemory, &fromFile}) {
            EXPECT_EQ(std::vector<int32_t>({out->width, out->height, out->channels}),
                      std::vector<int32_t>({c.width, c.height, c.channels}));
            EXPECT_TRUE(out->pixels == in.pixels);
        }
    }
}

// `pixels` written by libpng with one row filter on every row.
std::vector<uint8_t> libpngFile(const std::vector<uint8_t>& pixels, int32_t w, int32_t h,
                                int32_t channels, int filter) {
    static const int kTypes[] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA,
                                 PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGB_ALPHA};
    std::vector<uint8_t> file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &file,
        [](png_structp p, png_bytep data, size_t n) {
            auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            out->insert(out->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, kTypes[channels], PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, filter);
    png_write_info(png, info);
    for (int32_t y = 0; y < h; ++y)
        png_write_row(png, pixels.data() + size_t(y) * size_t(w) * size_t(channels));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

TEST(PngImageData, EveryRowFilterIsUndone) {
    const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG,
                           PNG_FILTER_PAETH};
    for (int32_t channels = 1; channels <= 4; ++channels)
        for (int filter : filters) {
            SCOPED_TRACE(std::to_string(channels) + " channels, filter " + std::to_string(filter));
            std::vector<uint8_t> pixels(size_t(61) * 47 * channels);
            for (size_t i = 0; i < pixels.size(); ++i)  // gradients, edges and noise
                pixels[i] = uint8_t(i % 7 == 0 ? i * 131 >> 3 : (i / 40) * 3 + (i % 97));
            const std::vector<uint8_t> file = libpngFile(pixels, 61, 47, channels, filter);
            Image out;
            std::string error;
            ASSERT_TRUE(decodeImage(file.data(), file.size(), out, error)) << error;
            EXPECT_EQ(out.channels, channels);
            EXPECT_TRUE(
                std::equal(out.pixels.begin(), out.pixels.end(), pixels.begin(), pixels.end()));
        }
}

}  // namespace
}  // namespace rx::cli
