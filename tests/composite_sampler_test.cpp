// The streak sampler, the smear walk and the swirled core surface on hand-made tables: wraps
// and overshoots. (Each swirl kind and the streaks are pinned by the golden images.)

#include <gtest/gtest.h>

#include "composite/ray_samplers.h"
#include "render/noise.h"

namespace rx {
namespace {

struct Noise {
    int16_t table[2048];
    int32_t weights[512];
    uint32_t noisePairs[2048];
    uint32_t weightPairs[512];
    int16_t centreH[100] = {};
    int16_t centreV[100] = {};
    Noise() {
        buildNoiseTable(table, 2024);
        fillCellWeights(weights);
        fillNoisePairs(table, noisePairs);
        fillWeightPairs(weights, weightPairs);
    }
    // No octaves, stride 1, no swirls.
    SurfaceInputs surface() const {
        return SurfaceInputs{table, weights, noisePairs, weightPairs, 0,       1,       100, 400,
                             0,     true,    true,       centreH,     centreV, nullptr, 0};
    }
};

TEST(StreakSampler, CoordinatesWrapToTwentyBitsAndZeroLengthIsSafe) {
    Noise n;
    EXPECT_EQ(streakNoise(n.table, 3, 4, 3, 4, 362), streakSample(n.table, 3, 4, 362));
    for (int32_t s : {64, 362, 2048, 2048 * 40}) {
        EXPECT_EQ(streakSample(n.table, -1, 7, s), streakSample(n.table, 1048575, 7, s));
        EXPECT_EQ(streakSample(n.table, 9, -300, s), streakSample(n.table, 9, 1048576 - 300, s));
        EXPECT_EQ(streakSample(n.table, 1048576 + 5, 3, s), streakSample(n.table, 5, 3, s));
    }
    // A product beyond 32 bits wraps rather than trapping; steep segments in every
    // direction: results stay in 0..255.
    for (int32_t x = 1048000; x < 1048576; x += 7) {
        const int32_t v = streakSample(n.table, x, x, 2048 * 64);
        ASSERT_TRUE(v >= 0 && v <= 255) << x;
    }
    for (int32_t dx = -30; dx <= 30; dx += 3)
        for (int32_t dy = -30; dy <= 30; dy += 5) {
            const int32_t v = streakNoise(n.table, 100, -50, 100 + dx, -50 + dy, 362);
            ASSERT_TRUE(v >= 0 && v <= 255) << dx << "," << dy;
        }
}

TEST(SmearWalk, StridesMayOvershootTheEnd) {
    Noise n;
    SurfaceInputs in = n.surface();
    auto sn = [&](int32_t x, int32_t y) {
        return surfaceNoiseReference(n.table, n.weights, in.octaves, x, y);
    };
    // Stride 4 over 10 pixels: 0, 4, 8 and 12, two pixels past the end.
    in.smearStep = 4;
    EXPECT_EQ(smearLine(in, 0, 0, 10, 0), (sn(0, 0) + sn(4, 0) + sn(8, 0) + sn(12, 0)) / 4);
    EXPECT_EQ(smearLine(in, 0, 0, 0, -10), (sn(0, 0) + sn(0, -4) + sn(0, -8) + sn(0, -12)) / 4);
    EXPECT_EQ(smearLine(in, 5, 5, 5, 5), sn(5, 5));
}

TEST(CoreSurface, StrongestSwirlsWrapWithoutTrapping) {
    // swirlSize 100 and sunSmear 100: g * nx * F exceeds 32 bits and wraps.
    Noise n;
    SurfaceInputs in = n.surface();
    in.swirlReach = 3200;
    in.swirlForce = 400;
    in.swirlCount = 100;
    for (int k = 0; k < 100; ++k) {
        n.centreH[k] = int16_t((k * 37) % 200 - 100);
        n.centreV[k] = int16_t((k * 53) % 200 - 100);
    }
    for (int32_t u = -3000; u <= 3000; u += 750) {
        const int32_t v = coreSurface(in, u, u / 2);
        ASSERT_TRUE(v >= 0 && v <= 255) << u;
    }
}

}  // namespace
}  // namespace rx
