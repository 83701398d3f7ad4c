// The streak sampler, the smear walk and the swirled core surface on hand-made tables.

#include <gtest/gtest.h>

#include <cmath>

#include "composite/ray_samplers.h"
#include "render/noise.h"

namespace rx {
namespace {

struct Noise {
    int16_t table[2048];
    int32_t weights[512];
    Noise() {
        uint32_t v = 2024;
        for (int i = 0; i < 2048; ++i) {
            v = v * 1103515245u + 12345u;
            table[i] = int16_t((v >> 16) & 255);
        }
        for (int i = 0; i < 512; ++i) {
            const double t = i / 512.0;
            weights[i] = int32_t((3 - 2 * t) * t * t * 512);
        }
    }
    SurfaceInputs surface() const {
        SurfaceInputs in{};
        in.noiseTable = table;
        in.cellWeights = weights;
        in.octaves = 0;
        in.smearStep = 1;
        in.swirlReach = 100;
        in.swirlForce = 400;
        in.swirlCount = 0;
        in.vortices = true;
        in.monopoles = true;
        in.swirlCenterH = centreH;
        in.swirlCenterV = centreV;
        return in;
    }
    int16_t centreH[100] = {};
    int16_t centreV[100] = {};
};

int32_t clip255(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

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

TEST(StreakSampler, HorizontalSegmentWeighsBothRowsEquallyEverywhere) {
    Noise n;
    const int32_t s = 362;
    // Left to right along row 5: rows 6 (front) and 5 (back), weight A / 2 each.
    int64_t sum = 0;
    for (int32_t x = 10; x <= 40; ++x)
        sum += 30 * (streakSample(n.table, x, 6, s) + streakSample(n.table, x, 5, s));
    EXPECT_EQ(streakNoise(n.table, 10, 5, 40, 5, s), int32_t(sum / (60 * 31)));
}

TEST(StreakSampler, DiagonalIsWalkedAsVerticalAndMovesEveryRow) {
    Noise n;
    const int32_t s = 777;
    // (0,0) to (5,5): A = B = 10; the front column starts at 1 and moves each row; both
    // columns weigh 5.
    int32_t sum = 5 * (streakSample(n.table, 1, 0, s) + streakSample(n.table, 0, 0, s));
    for (int32_t y = 1; y <= 5; ++y)
        sum += 5 * (streakSample(n.table, y + 1, y, s) + streakSample(n.table, y, y, s));
    EXPECT_EQ(streakNoise(n.table, 0, 0, 5, 5, s), sum / 60);

    // Up and to the left: front column x0, back column x0 + 1.
    sum = 5 * (streakSample(n.table, 0, 0, s) + streakSample(n.table, 1, 0, s));
    for (int32_t k = 1; k <= 5; ++k)
        sum += 5 * (streakSample(n.table, -k, -k, s) + streakSample(n.table, 1 - k, -k, s));
    EXPECT_EQ(streakNoise(n.table, 0, 0, -5, -5, s), sum / 60);
}

TEST(SmearWalk, StridesMayOvershootTheEnd) {
    Noise n;
    SurfaceInputs in = n.surface();
    auto sn = [&](int32_t x, int32_t y) {
        return surfaceNoise(n.table, n.weights, in.octaves, x, y);
    };
    in.smearStep = 1;
    EXPECT_EQ(smearLine(in, 7, 9, 10, 9), (sn(7, 9) + sn(8, 9) + sn(9, 9) + sn(10, 9)) / 4);
    // Stride 4 over 10 pixels: 0, 4, 8 and 12, two pixels past the end.
    in.smearStep = 4;
    EXPECT_EQ(smearLine(in, 0, 0, 10, 0), (sn(0, 0) + sn(4, 0) + sn(8, 0) + sn(12, 0)) / 4);
    EXPECT_EQ(smearLine(in, 0, 0, 0, -10), (sn(0, 0) + sn(0, -4) + sn(0, -8) + sn(0, -12)) / 4);
    EXPECT_EQ(smearLine(in, 5, 5, 5, 5), sn(5, 5));
}

TEST(CoreSurface, PlainSwitchedOffOrWithoutSwirls) {
    Noise n;
    SurfaceInputs in = n.surface();
    for (int32_t oct = 0; oct <= 2; ++oct) {
        in.octaves = oct;
        for (int32_t u = -2000; u < 2000; u += 97) {
            const int32_t plain = clip255(surfaceNoise(n.table, n.weights, oct, u, -u / 3));
            in.vortices = in.monopoles = false;
            in.swirlCount = 10;
            ASSERT_EQ(coreSurface(in, u, -u / 3), plain);
            in.vortices = true;
            in.swirlCount = 0;  // a toggle on but no swirl: the smear has zero length
            ASSERT_EQ(coreSurface(in, u, -u / 3), plain);
        }
    }
}

TEST(CoreSurface, SwirlDisplacementPushesAlongOrAcrossTheRadius) {
    Noise n;
    SurfaceInputs in = n.surface();
    in.swirlCount = 1;
    n.centreH[0] = 50;
    n.centreV[0] = -20;
    // Exactly at the centre: no direction, no displacement.
    EXPECT_EQ(coreSurface(in, 50, -20), clip255(surfaceNoise(n.table, n.weights, 0, 50, -20)));

    // 30 units right of swirl 0 (even: g = r - R = -70), R = 100, F = 400:
    // nx = 100, ny = 0, so the push is (-70 * 100 * 400) / 10000 = -280.
    in.vortices = false;  // swirl 0 is a monopole: push along the radius
    EXPECT_EQ(coreSurface(in, 80, -20), clip255(smearLine(in, 80, -20, 80 - 280, -20)));
    in.vortices = true;
    in.monopoles = false;  // a vortex: push across the radius
    EXPECT_EQ(coreSurface(in, 80, -20), clip255(smearLine(in, 80, -20, 80, -20 - 280)));
    // Both on: swirls 0, 1 are monopoles, 2, 3 vortices. Swirl 3 (odd: g = R - r = 70)
    // at the same place pushes across: du -= 0, dv += 70 * 100 * 400 / 10000 = 280.
    in.monopoles = true;
    in.swirlCount = 4;
    n.centreH[1] = n.centreH[2] = 5000;  // out of reach
    n.centreH[3] = 50;
    n.centreV[3] = -20;
    EXPECT_EQ(coreSurface(in, 80, -20), clip255(smearLine(in, 80, -20, 80 - 280, -20 + 280)));
    // Out of reach (|ex| >= R) leaves the lookup where it is.
    EXPECT_EQ(coreSurface(in, 150, -20), clip255(surfaceNoise(n.table, n.weights, 0, 150, -20)));
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
