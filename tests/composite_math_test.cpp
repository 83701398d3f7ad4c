// Per-pixel rules of the compositor checked on known values: the exact square root, the
// overflow spills, the blend modes and the quantities derived per row.

#include <gtest/gtest.h>

#include <climits>

#include "composite/blend_modes.h"
#include "composite/composite_frame.h"
#include "composite/integer_math.h"
#include "composite_rig.h"

namespace rx {
namespace {

bool isRootOf(int32_t r, uint32_t n) {
    const uint64_t r64 = uint32_t(r);
    return r >= 0 && r64 * r64 <= n && (r64 + 1) * (r64 + 1) > n;
}

TEST(IntegerSquareRoot, ExactAtSquareBoundariesAndFromAnySeed) {
    for (uint32_t v : {0u, 1u, 2u, 4u, 5u, 0x7FFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFFu})
        EXPECT_TRUE(isRootOf(isqrt(v), v) && isRootOf(rootFloor(v), v)) << v;
    for (uint32_t r = 1; r < 65536; ++r) {  // every square and its predecessor
        ASSERT_EQ(rootFloor(r * r), int32_t(r));
        ASSERT_EQ(rootFloor(r * r - 1), int32_t(r - 1));
        if (r % 37 == 0) {
            EXPECT_EQ(isqrt(r * r), int32_t(r));
            EXPECT_EQ(isqrt(r * r - 1), int32_t(r - 1));
        }
    }
    const int32_t seeds[] = {-5, 0, 1, 2, 7, 100, 46340, 46341, 65535, 70000, INT_MAX};
    uint32_t n = 12345;
    for (int i = 0; i < 4000; ++i) {
        n = n * 1664525u + 1013904223u;
        const uint32_t v = (i & 1) ? n : (n >> (i % 31));
        ASSERT_TRUE(isRootOf(rootFloor(v), v)) << v;
        for (int32_t seed : seeds)
            ASSERT_TRUE(isRootOf(isqrtSeeded(v, seed), v)) << v << " " << seed;
    }
}

TEST(IntegerHelpers, WrapAroundAndDivisionEdges) {
    EXPECT_EQ(wrapMul(65536, 65536), 0);
    EXPECT_EQ(wrapMul(3200 * 3200, 400), int32_t(4096000000u));  // wraps negative
    EXPECT_EQ(wrapAdd(INT_MAX, 1), INT_MIN);
    EXPECT_EQ(wrapAbs(INT_MIN), INT_MIN);
    EXPECT_EQ(magnitude(INT_MIN), 0x80000000u);
    EXPECT_EQ(truncDiv(-7, 2), -3);
    EXPECT_EQ(truncDiv(7, -2), -3);
    EXPECT_EQ(truncDiv(5, 0), 0);
    EXPECT_EQ(truncDiv(INT_MIN, -1), INT_MIN);
}

TEST(OverflowSpill, KnownSpillsOfTheSumAndTheRim) {
    struct Case {
        void (*spill)(int32_t*);
        int32_t in[3], out[3];
    };
    const Case cases[] = {
        // One over: E = 135, e = 31, h = 15 into each other channel.
        {spillSum, {300, 100, 100}, {255, 115, 115}},
        {spillRim, {300, 100, 100}, {255, 115, 115}},
        // E = 2235, h = 261: G goes over, B gets 256 more, B over hands 272 back; all clip.
        {spillSum, {1000, 250, 10}, {255, 255, 255}},
        // E = 435, h = 50: the sum's second pass hands G's 45 beyond 255 on to B; the rim's
        // spill does not.
        {spillSum, {400, 250, 10}, {255, 255, 105}},
        {spillRim, {400, 250, 10}, {255, 255, 60}},
        {spillSum, {0, 265, 200}, {3, 255, 203}},  // small: no second pass
        // Two over give the whole excess (E = 450, e = 105) to the third.
        {spillSum, {355, 305, 10}, {255, 255, 115}},
        {spillRim, {10, 355, 305}, {115, 255, 255}},
    };
    for (const Case& c : cases) {
        int32_t v[3] = {c.in[0], c.in[1], c.in[2]};
        c.spill(v);
        for (int z = 0; z < 3; ++z)
            EXPECT_EQ(v[z], c.out[z]) << (c.spill == spillSum ? "sum " : "rim ") << c.in[0] << ","
                                      << c.in[1] << "," << c.in[2] << " channel " << z;
    }
}

// The clips, unknown codes and the rim quarters of "composite" (the goldens pin the rest).
TEST(BlendModes, ClipsUnknownCodesAndQuarters) {
    int16_t noise[2048];
    for (int i = 0; i < 2048; ++i) noise[i] = int16_t(i & 255);
    const struct {
        int32_t mode, sun, src, quarters, expected;
    } cases[] = {
        {blendProceduralMinus, 200, 100, 4, 255},  // 200 + 78, clipped
        {blendAdd, 200, 100, 4, 255},
        {blendMultiply, 255, 0, 4, 0},  // a white sun gives s - 1, but not below 0
        {0, 200, 100, 4, 200},          // unknown codes blend as "normal"
        {12, 200, 100, 4, 200},
        {-3, 200, 100, 4, 200},
        {blendComposite, 50, 200, 0, 50},
        {blendComposite, 50, 200, 1, 100},
        {blendComposite, 50, 200, 3, 200},
        {blendComposite, 100, 200, 4, 255},
    };
    for (const auto& c : cases)
        EXPECT_EQ(blendChannel(c.mode, c.sun, c.src, c.quarters, noise), c.expected)
            << "mode " << c.mode << " sun " << c.sun << " source " << c.src;
}

TEST(CompositeFrame, RadiiAndDerivedQuantities) {
    using F = CompositeFrame;
    const int32_t F::*fields[] = {&F::Rsun,           &F::Rhalo,     &F::haloSpan, &F::Rflare,
                                  &F::RflareIn,       &F::flareSpan, &F::Rring,    &F::ringSpan,
                                  &F::RringOut,       &F::Rcore,     &F::Rfade,    &F::flareArc,
                                  &F::flareNoiseScale};
    constexpr int32_t x = -1;  // not checked
    const int32_t rows[][13] = {
        // The settings below; flareNoiseScale is trunc(256 sqrt 2).
        {164, 2728, 2564, 168, 164, 4, 644, 2008, 2652, 168, 134, 2048, 362},
        // The smallest settings: a core of one pixel radius.
        {4, 8, 4, x, x, x, x, x, x, 8, x, 0, 2048},
        // Full flare detail at scale 3.
        {1, x, x, x, x, x, x, x, x, x, x, x, 64 * 3},
        // A scale larger than every size: zero radii become 1, Rhalo = Rsun gives span 1.
        {0, 1, 1, 1, 1, 1, 1, 1, 1, 4, 3, x, x}};
    testing::CompositeRig rig(1, 1, 1);
    SunParameters& p = rig.p();
    p.sunRadius = 20, p.haloRadius = 80, p.bowRadius = 40, p.bowWidth = 50;
    p.spikeCount = 10, p.flareCount = 4;
    for (int row = 0; row < 4; ++row) {
        if (row == 1) p.sunRadius = p.haloRadius = p.flareDetail = p.flareWidth = 0;
        if (row == 2) p.flareDetail = 100, p.previewScale = 3;
        if (row == 3) p.previewScale = 100, p.bowRadius = p.bowWidth = 0;
        const CompositeFrame f = deriveFrame(p, p.previewScale);
        for (int k = 0; k < 13; ++k)
            EXPECT_TRUE(rows[row][k] == x || f.*fields[k] == rows[row][k])
                << row << ", " << k << ": " << f.*fields[k];
    }
    // Counts beyond the filled table slots are cut to them.
    p.spikeCount = 1000;
    p.flareCount = 500;
    const CompositeFrame f = deriveFrame(p, p.previewScale);
    EXPECT_EQ(f.spikeCount, 255);
    EXPECT_EQ(f.flareCount, 101);
}

}  // namespace
}  // namespace rx
