// 16-bit images: the blend rules against the 8-bit ones, whole renders of the golden matrix
// against the 8-bit render of the reduced source (within one step per channel, for both
// 16-bit ranges), and a gradient's levels.

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "composite/blend16.h"
#include "golden/golden_render.h"

namespace rx {
namespace {

std::vector<uint16_t> samplesOf(const std::vector<uint8_t>& bytes) {
    std::vector<uint16_t> v(bytes.size() / 2);
    std::memcpy(v.data(), bytes.data(), v.size() * 2);
    return v;
}
using golden::Rendered;
constexpr auto bytesOf = golden::sampleBytes;

// Every mode, sun value and weight over a dense sweep of 16-bit sources: the 16-bit rule
// reduced to 8 bits is the 8-bit rule on the reduced source within one step, and stays in
// the range.
TEST(Depth16, BlendRulesMatchTheEightBitRulesWithinOneStep) {
    int16_t noise[256];
    for (int32_t i = 0; i < 256; ++i) noise[i] = int16_t((i * 97 + 31) & 255);
    for (int32_t range : {kRangePhotoshop16, kRangeFull16}) {
        for (int32_t mode = 0; mode <= 12; ++mode) {
            int32_t worst = 0;
            for (int32_t w = 0; w <= 4; ++w) {
                if (w != 4 && mode != blendComposite) continue;
                for (int32_t t = 0; t < 256; ++t)
                    for (int32_t s = 0; s <= range; s += (s % 251 == 0 ? 1 : 7)) {
                        const int32_t v =
                            blendChannel16(mode, t, scaleTo16(t, range), s, w, range, noise);
                        ASSERT_TRUE(v >= 0 && v <= range) << mode << " " << t << " " << s;
                        const int32_t e = blendChannel(mode, t, reduceTo8(s, range), w, noise) -
                                          reduceTo8(v, range);
                        worst = std::max(worst, e < 0 ? -e : e);
                    }
            }
            EXPECT_LE(worst, 1) << "mode " << mode << " range " << range;
        }
    }
}

// This host's range is 0..65535; under Photoshop's signature it is 0..32768.
Rendered render(golden::GoldenCase c, std::vector<uint8_t> pixels, int32_t depth, int32_t range) {
    c.depth = depth;
    MemoryHostOptions o;
    o.hostSignature = range == 65535 ? fourCC('R', 'X', 'M', 'H') : fourCC('8', 'B', 'I', 'M');
    return golden::renderGolden(c, std::move(pixels), o);
}

// The whole matrix at 0..65535 (this host's range), every third case at Photoshop's
// 0..32768.
TEST(Depth16, RendersMatchTheEightBitRenderOfTheReducedSourceWithinOneStep) {
    for (const int32_t range : {65535, 32768}) {
        int32_t n = 0;
        for (const golden::GoldenCase& c : golden::goldenMatrix()) {
            if (c.depth != 8 || (range != 65535 && n++ % 3 != 0)) continue;
            const std::vector<uint16_t> deep = golden::goldenPixels16(c, range);
            std::vector<uint8_t> reduced(deep.size());
            for (size_t i = 0; i < deep.size(); ++i)
                reduced[i] = uint8_t(reduceTo8(deep[i], range));
            const Rendered r16 = render(c, bytesOf(deep), 16, range);
            const Rendered r8 = render(c, reduced, 8, range);
            ASSERT_EQ(r16.result, 0) << c.name;
            ASSERT_EQ(r8.result, 0) << c.name;
            const std::vector<uint16_t> out = samplesOf(r16.pixels);
            ASSERT_EQ(out.size(), r8.pixels.size());
            const int32_t ch = c.planes + (c.alpha ? 1 : 0);
            int32_t worst = 0;
            for (size_t i = 0; i < out.size(); ++i) {
                if (int32_t(i % ch) >= c.planes) {  // alpha: untouched
                    ASSERT_EQ(out[i], deep[i]) << c.name;
                    continue;
                }
                const int32_t e = reduceTo8(out[i], range) - r8.pixels[i];
                worst = std::max(worst, e < 0 ? -e : e);
            }
            EXPECT_LE(worst, 1) << c.name << " at range " << range;
        }
    }
}

// The packed rows (eight samples at a time where the machine can) and the strided rows of an
// image with an alpha plane (one sample at a time) give the same colour samples, for every
// mode at both ranges.
TEST(Depth16, PackedAndStridedRowsAgree) {
    for (int32_t range : {65535, 32768}) {
        for (int32_t mode = 1; mode <= 11; ++mode) {
            golden::GoldenCase plain;
            plain.settings = {"blendMode=" + std::to_string(mode), "flareCount=12"};
            golden::GoldenCase alpha = plain;
            alpha.alpha = true;
            const Rendered packed =
                render(plain, bytesOf(golden::goldenPixels16(plain, range)), 16, range);
            const Rendered strided =
                render(alpha, bytesOf(golden::goldenPixels16(alpha, range)), 16, range);
            const std::vector<uint16_t> a = samplesOf(packed.pixels), b = samplesOf(strided.pixels);
            int32_t differ = 0;
            for (size_t p = 0; p < a.size() / 3; ++p)
                for (size_t z = 0; z < 3; ++z) differ += a[p * 3 + z] != b[p * 4 + z];
            EXPECT_EQ(differ, 0) << "mode " << mode << " range " << range;
        }
    }
}

// A smooth gradient beyond the sun's reach keeps every one of its levels (an 8-bit path
// would leave at most 256), for the modes that show the source there ("procedural +"
// mixes by a noise weight per source level, which folds some levels together by design).
TEST(Depth16, GradientBeyondTheSunKeepsAllItsLevels) {
    for (const char* mode : {"blendMode=10", "blendMode=5", "blendMode=11"}) {
        golden::GoldenCase c;
        c.width = 3000, c.height = 3, c.planes = 1;
        c.center = true, c.centerX = 2900, c.centerY = 1;
        c.settings = {mode,          "sunRadius=5", "haloRadius=5", "flareRadius=5",
                      "bowRadius=5", "spikeCount=0"};
        std::vector<uint16_t> ramp(size_t(c.width) * c.height);
        for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = uint16_t((i % c.width) * 20);
        const Rendered r = render(c, bytesOf(ramp), 16, 65535);
        ASSERT_EQ(r.result, 0);
        const std::vector<uint16_t> out = samplesOf(r.pixels);
        std::set<uint16_t> levels;
        for (int32_t x = 0; x < 2000; ++x) levels.insert(out[size_t(c.width) + x]);
        EXPECT_GE(levels.size(), 1990u) << mode;
    }
}

}  // namespace
}  // namespace rx
