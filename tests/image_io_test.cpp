// Image files: every format keeps the pixels it can hold, deep and hostile files are
// refused with a reason, JPEG files stand as their EXIF orientation says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/image_io.h"
#include "host_test_support.h"

namespace rx::cli {
namespace {

std::vector<uint8_t> encode(const Image& img, ImageFormat format, WriteOptions options = {}) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(encodeImage(img, format, bytes, error, options)) << error;
    return bytes;
}

std::string decode(const std::vector<uint8_t>& bytes, Image& out, ReadOptions options = {}) {
    std::string error;
    return decodeImage(bytes.data(), bytes.size(), out, error, options) ? "" : error;
}

// `img` with grey repeated into RGB, as formats without grey store it.
Image asRgb(const Image& img) {
    if (!img.isGrey()) return img;
    Image out = testing::picture(img.width, img.height, img.channels + 2);
    for (size_t i = 0; i < size_t(img.width) * img.height; ++i) {
        for (int c = 0; c < 3; ++c) out.pixels[i * out.channels + c] = img.pixels[i * img.channels];
        if (img.hasAlpha()) out.pixels[i * 4 + 3] = img.pixels[i * 2 + 1];
    }
    return out;
}

TEST(ImageFiles, LosslessFormatsGiveBackEveryPixel) {
    // Each format stores some kinds as another: BMP has no grey, TGA no grey + alpha.
    struct Case {
        ImageFormat format;
        bool keepsGrey, keepsGreyAlpha;
    };
    for (Case c : {Case{ImageFormat::Png, true, true}, Case{ImageFormat::Tiff, true, true},
                   Case{ImageFormat::Bmp, false, false}, Case{ImageFormat::Tga, true, false}})
        for (int32_t channels = 1; channels <= 4; ++channels) {
            SCOPED_TRACE(std::string(formatName(c.format)) + " " + std::to_string(channels));
            // Odd widths catch row padding; tall enough for several TIFF strips.
            const Image in = testing::picture(37, 301, channels);
            Image out;
            ASSERT_EQ(decode(encode(in, c.format), out), "");
            const bool kept = channels >= 3 || (channels == 1 ? c.keepsGrey : c.keepsGreyAlpha);
            const Image expected = kept ? in : asRgb(in);
            EXPECT_EQ(std::vector<int32_t>({out.width, out.height, out.channels}),
                      std::vector<int32_t>({37, 301, expected.channels}));
            EXPECT_TRUE(out.pixels == expected.pixels);
        }
    // A flat grey picture deflates far more than a colour one: it is not taken for a file
    // cut short (an all-white selection mask was).
    Image flat = testing::picture(840, 525, 1), out;
    std::fill(flat.pixels.begin(), flat.pixels.end(), uint8_t(255));
    ASSERT_EQ(decode(encode(flat, ImageFormat::Png), out), "");
    EXPECT_TRUE(out.pixels == flat.pixels);
}

TEST(ImageFiles, LossyFormatsStayCloseAndHonourQuality) {
    Image smooth = testing::picture(64, 48, 3);
    for (size_t i = 0; i < smooth.pixels.size(); ++i)
        smooth.pixels[i] = uint8_t(i / 3 % 64 * 3 + i % 3 * 20);
    for (ImageFormat f : {ImageFormat::Jpeg, ImageFormat::WebP}) {
        SCOPED_TRACE(formatName(f));
        const std::vector<uint8_t> high = encode(smooth, f, WriteOptions{95});
        EXPECT_LT(encode(smooth, f, WriteOptions{20}).size(), high.size());
        Image out;
        ASSERT_EQ(decode(high, out), "");
        ASSERT_EQ(out.pixels.size(), smooth.pixels.size());
        int worst = 0;
        for (size_t i = 0; i < out.pixels.size(); ++i)
            worst = std::max(worst, std::abs(out.pixels[i] - smooth.pixels[i]));
        EXPECT_LE(worst, 12);
    }
    // Alpha survives WebP; JPEG is never handed it.
    Image rgba = testing::picture(16, 16, 4), out;
    ASSERT_EQ(decode(encode(rgba, ImageFormat::WebP), out), "");
    EXPECT_EQ(out.channels, 4);
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(encodeImage(rgba, ImageFormat::Jpeg, bytes, error));
    EXPECT_NE(error.find("no alpha"), std::string::npos) << error;
}

std::vector<uint8_t> patched(std::vector<uint8_t> bytes, size_t at, uint32_t value, int n) {
    for (int i = 0; i < n; ++i) bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
    return bytes;
}

TEST(ImageFiles, DeepTruncatedAndHostileFilesAreRefused) {
    const std::vector<uint8_t> png = encode(testing::picture(300, 200, 3), ImageFormat::Png);
    const std::vector<uint8_t> jpeg = encode(testing::picture(300, 200, 3), ImageFormat::Jpeg);
    const std::vector<uint8_t> bmp = encode(testing::picture(30, 20, 3), ImageFormat::Bmp);
    const std::vector<uint8_t> tga = encode(testing::picture(30, 20, 3), ImageFormat::Tga);
    auto cut = [](std::vector<uint8_t> b, size_t keep) { return b.resize(keep), b; };
    // The first Huffman table claiming 16 x 20 = 320 codes, more than a table holds.
    std::vector<uint8_t> huffman = jpeg;
    for (size_t i = 2; i + 21 < huffman.size(); ++i)
        if (huffman[i] == 0xff && huffman[i + 1] == 0xc4) {
            std::fill(huffman.begin() + long(i) + 5, huffman.begin() + long(i) + 21, 20);
            break;
        }
    // A top-down BMP (negative height) of the picture upside down is the picture.
    Image upsideDown = testing::picture(30, 20, 3), topDown;
    for (int32_t y = 0; y < 10; ++y)
        std::swap_ranges(upsideDown.row(y), upsideDown.row(y) + 90, upsideDown.row(19 - y));
    ASSERT_EQ(decode(patched(encode(upsideDown, ImageFormat::Bmp), 22, uint32_t(-20), 4), topDown),
              "");
    EXPECT_EQ(topDown.pixels, testing::picture(30, 20, 3).pixels);
    // A 54-byte BMP claiming 26000 x 26000 pixels, an 18-byte TGA claiming 30000 x 30000 and
    // a run-length TGA of 64 x 64 holding 40 of its pixels.
    const auto hugeBmp =
        patched(patched(patched(cut(bmp, 54), 2, 54, 4), 18, 26000, 4), 22, 26000, 4);
    const auto hugeTga =
        patched(patched(patched(cut(tga, 18), 2, 2, 1), 12, 30000, 2), 14, 30000, 2);
    std::vector<uint8_t> rleTga =
        patched(patched(patched(hugeTga, 2, 10, 1), 12, 64, 2), 14, 64, 2);
    for (int i = 0; i < 40; ++i) rleTga.insert(rleTga.end(), {0, 1, 2, 3});
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* says;
    };
    const Case cases[] = {
        {"PNG cut short", cut(png, png.size() / 2), "PNG"},
        {"JPEG cut short", cut(jpeg, jpeg.size() / 2), "truncated"},
        {"JPEG Huffman table of 320 codes", huffman, "JPEG"},
        {"BMP cut short", cut(bmp, bmp.size() - 7), "truncated"},
        {"BMP header alone", cut(bmp, 30), "truncated"},
        {"BMP claiming 26000 x 26000", hugeBmp, "truncated"},
        {"TGA cut short", cut(tga, tga.size() - 1), "truncated"},
        {"TGA claiming 30000 x 30000", hugeTga, "truncated"},
        {"run-length TGA cut short", rleTga, "truncated"},
    };
    for (const Case& c : cases) {
        Image out;
        const std::string error = decode(c.bytes, out);
        EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": \"" << error << "\"";
        EXPECT_TRUE(out.pixels.empty()) << c.name;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.name;
    }
}

// 16-bit pictures: PNG and TIFF give back every sample, grey and colour, with and without
// alpha; the 8-bit formats refuse them in one line.
TEST(ImageFiles, SixteenBitSamplesSurvivePngAndTiffAndThe8BitFormatsRefuseThem) {
    for (int32_t channels = 1; channels <= 4; ++channels) {
        Image in{7, 5, channels, 16, std::vector<uint8_t>(size_t(7) * 5 * channels * 2), {}, {}};
        for (size_t i = 0; i < in.pixels.size(); ++i) in.pixels[i] = uint8_t(i * 97 + i / 7);
        std::vector<uint8_t> high(in.pixels.size() / 2);
        for (size_t i = 0; i < high.size(); ++i) high[i] = in.pixels[2 * i + 1];  // little-endian
        for (ImageFormat f : {ImageFormat::Png, ImageFormat::Tiff}) {
            SCOPED_TRACE(std::string(formatName(f)) + " " + std::to_string(channels));
            Image out;
            ASSERT_EQ(decode(encode(in, f), out), "");
            EXPECT_EQ(out.depth, 16);
            EXPECT_TRUE(out.pixels == in.pixels);
        }
        Image reduced;  // a PNG asked for at 8 bits keeps the high bytes
        ASSERT_EQ(decode(encode(in, ImageFormat::Png), reduced, ReadOptions{true}), "");
        EXPECT_EQ(reduced.depth, 8);
        EXPECT_TRUE(reduced.pixels == high);
        for (ImageFormat f :
             {ImageFormat::Jpeg, ImageFormat::WebP, ImageFormat::Bmp, ImageFormat::Tga}) {
            if (in.hasAlpha() && !formatHoldsAlpha(f)) continue;
            std::vector<uint8_t> bytes;
            std::string error;
            EXPECT_FALSE(encodeImage(in, f, bytes, error)) << formatName(f);
            EXPECT_NE(error.find("16 bits"), std::string::npos) << error;
        }
    }
}

// An RGB display profile of `size` bytes (a multiple of 4) whose one tag covers the rest.
std::vector<uint8_t> iccProfile(uint32_t size) {
    std::vector<uint8_t> p(size);
    auto put = [&p](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) p[at + i] = uint8_t(v >> (24 - 8 * i));
    };
    auto tag = [&p](size_t at, const char* s) { std::memcpy(&p[at], s, 4); };
    for (size_t i = 144; i < size; ++i) p[i] = uint8_t(i * 7 + i / 251);
    put(0, size), put(8, 0x02100000), tag(12, "mntr"), tag(16, "RGB "), tag(20, "XYZ ");
    tag(36, "acsp"), put(68, 0xf6d6), put(72, 0x10000), put(76, 0xd32d);  // D50
    put(128, 1), tag(132, "zzzz"), put(136, 144), put(140, size - 144);
    return p;
}

// EXIF's TIFF structure in either byte order: IFD0 with the orientation and a software
// name, linked to an empty IFD1 (the thumbnail's place) unless `linked` is false.
std::vector<uint8_t> exifBlock(bool big, int orientation, bool linked) {
    std::vector<uint8_t> out;
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) out.push_back(uint8_t(v >> 8 * (big ? n - 1 - i : i)));
    };
    out = {uint8_t(big ? 'M' : 'I'), uint8_t(big ? 'M' : 'I')};
    put(42, 2), put(8, 4), put(2, 2);
    put(0x0112, 2), put(3, 2), put(1, 4), put(uint32_t(orientation), 2), put(0, 2);
    put(0x0131, 2), put(2, 2), put(4, 4), out.insert(out.end(), {'r', 'x', 0, 0});
    put(linked ? 38 : 0, 4), put(0, 2), put(0, 4);
    return out;
}

// JPEG files stand as their EXIF orientation says (in either byte order, with and without a
// link to IFD1); the profile and the EXIF block, set upright, reach every format that holds
// them, so no reader turns the picture a second time.
TEST(ImageFiles, JpegStandsAsItsExifOrientationSaysAndItsMetadataPassesOn) {
    // Four flat quarters, 16 x 32 pixels each: red, green / blue, white.
    Image img = testing::picture(32, 64, 3);
    const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 32; ++x)
            std::copy_n(colours[(y >= 32) * 2 + (x >= 16)], 3, img.row(y) + x * 3);
    // The quarter at the top left, top right, bottom left and bottom right as shown.
    const int shown[9][4] = {{},           {0, 1, 2, 3}, {1, 0, 3, 2}, {3, 2, 1, 0}, {2, 3, 0, 1},
                             {0, 2, 1, 3}, {2, 0, 3, 1}, {3, 1, 2, 0}, {1, 3, 0, 2}};
    const std::vector<uint8_t> icc = iccProfile(70000);  // two APP2 pieces in a JPEG
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        // The writer stores the EXIF block and the profile as given (it does not turn the
        // picture), so the orientation is the reader's alone to apply.
        const bool big = o % 2 == 1;
        Image tagged = img, in;
        tagged.iccProfile = icc, tagged.exif = exifBlock(big, o, o % 4 < 2);
        ASSERT_EQ(decode(encode(tagged, ImageFormat::Jpeg), in), "");
        const bool turned = o >= 5;
        ASSERT_EQ(in.width, turned ? 64 : 32);
        ASSERT_EQ(in.height, turned ? 32 : 64);
        const int32_t xs[2] = {4, in.width - 5}, ys[2] = {4, in.height - 5};
        for (int corner = 0; corner < 4; ++corner) {
            const uint8_t* px = in.row(ys[corner / 2]) + xs[corner % 2] * 3;
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(px[c], colours[shown[o][corner]][c], 8) << corner;
        }
        const std::vector<uint8_t> upright = exifBlock(big, 1, false);
        EXPECT_TRUE(in.iccProfile == icc);
        EXPECT_EQ(in.exif, upright);
        // TIFF keeps the profile only: its own tags would have to take the EXIF block apart.
        for (ImageFormat f :
             {ImageFormat::Png, ImageFormat::Jpeg, ImageFormat::Tiff, ImageFormat::WebP}) {
            SCOPED_TRACE(formatName(f));
            Image out;
            ASSERT_EQ(decode(encode(in, f), out), "");
            EXPECT_EQ(out.width, in.width);
            EXPECT_TRUE(out.iccProfile == icc);
            EXPECT_EQ(out.exif, f == ImageFormat::Tiff ? std::vector<uint8_t>() : upright);
        }
    }
}

TEST(ImageFiles, FlattenPutsAlphaOnWhite) {
    Image img = testing::picture(3, 1, 2);
    img.pixels = {0, 0, 100, 128, 100, 255};
    flattenAlpha(img);
    EXPECT_EQ(img.channels, 1);
    EXPECT_EQ(img.pixels, (std::vector<uint8_t>{255, 177, 100}));
}

}  // namespace
}  // namespace rx::cli
