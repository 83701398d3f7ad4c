// Whole rows through the band compositor on hand-made tables: streak wraps and the preview. (The
// core, the blends, grey images, extra planes and the spike colours are pinned by the golden
// images.)

#include <gtest/gtest.h>

#include "composite/blend_modes.h"
#include "composite_rig.h"

namespace rx {
namespace {

using testing::CompositeRig;

// One flare streak, constant noise 200, flare ramp red = index: the red byte shows the
// flare index. Pixels on row cy + 1 left of the centre lie just below a full turn.
struct StreakRig : CompositeRig {
    StreakRig() : CompositeRig(61, 21, 3) {  // centre (30, 10)
        SunParameters& q = p();
        q.sunRadius = 0;
        q.flareRadius = 100;
        q.flareCount = 1;
        q.flareWidth = 50;  // arc 2048, h 1024
        q.lightingMode = lightingEclipse;
        for (int i = 0; i < 2048; ++i) t().noiseTable[i] = 200;
        for (int j = 0; j < 256; ++j) t().flareRamp[0][j] = j;
    }
    std::vector<uint8_t> renderWithStreakAt(int16_t a) {
        t().flareAngles[0] = a;
        all();
        return out;
    }
};

TEST(CompositeRow, StreaksWrapAroundAFullTurnBothWays) {
    StreakRig rig;
    // A streak starting at -1000 covers 15384..16383 and 0..1047 of the turn.
    const std::vector<uint8_t> negative = rig.renderWithStreakAt(-1000);
    const std::vector<uint8_t> wrapped = rig.renderWithStreakAt(15384);
    // (10, 11): dx = 20, dy = -1, A = 16384 - 16384 / 84 = 16189, so t = 805 from either
    // start; d = 80, v = ((805 * 805 / 1024) * (4008 - 80) * 200) / (1024 * 4004) = 121,
    // acc = 162, g = 126, index 126.
    EXPECT_EQ(rig.outAt(10, 11)[0], 126);
    rig.out = negative;
    EXPECT_EQ(rig.outAt(10, 11)[0], 126);
    size_t lit = 0;
    for (int32_t x = 0; x < 26; ++x) lit += rig.outAt(x, 11)[0] != 0;
    EXPECT_GT(lit, 20u);
    EXPECT_EQ(negative, wrapped);

    // A streak ending beyond a full turn wraps to small angles.
    const std::vector<uint8_t> high = rig.renderWithStreakAt(16000);  // to 18048
    const std::vector<uint8_t> low = rig.renderWithStreakAt(-384);    // to 1664
    EXPECT_EQ(high, low);
    rig.out = high;
    // Row cy - 1 left of the centre: small positive angles, inside both.
    EXPECT_GT(rig.outAt(10, 9)[0], 0);
    // Half a turn away nothing is lit.
    EXPECT_EQ(rig.outAt(50, 10)[0], 0);
}

TEST(CompositeRow, PreviewOffsetsRowsFadesAndCentresByScale) {
    // Final render of a small image, then the same picture as a preview at scale 1: every
    // byte is faded by the full selection (r * 255 >> 8).
    CompositeRig final(32, 16, 3);
    final.p().sunRadius = 5;
    final.p().lightingMode = lightingFlat;
    final.p().flareRadius = 30;
    for (int z = 0; z < 3; ++z) {
        final.t().sunRamp[z][255] = 255;
        for (int j = 0; j < 256; ++j) final.t().haloRamp[z][j] = j / (z + 1);
    }
    final.p().haloRadius = 10;
    for (size_t i = 0; i < final.in.size(); ++i) final.in[i] = uint8_t(i);
    final.all();

    CompositeRig preview(32, 16, 3);
    *preview.params = *final.params;
    *preview.tables = *final.tables;
    preview.tables->lensTable = preview.lens.data();
    preview.in = final.in;
    preview.p().previewRendering = 1;
    preview.all();
    for (size_t i = 0; i < final.out.size(); ++i)
        ASSERT_EQ(preview.out[i], (final.out[i] * 255) >> 8) << i;

    // With a mask: unselected pixels show the checkerboard.
    std::vector<uint8_t> mask(32 * 16, 255);
    mask[3 * 32 + 9] = 0;   // (9, 3): (9 ^ 3) & 8 = 8, dark square
    mask[3 * 32 + 20] = 0;  // (20, 3): (20 ^ 3) & 8 = 0, light square
    preview.haveMask = true;
    preview.mask = mask.data();
    preview.row(3);
    EXPECT_EQ(preview.outAt(9, 3)[0], 203);
    EXPECT_EQ(preview.outAt(20, 3)[1], 254);
    EXPECT_EQ(preview.outAt(21, 3)[1], (final.outAt(21, 3)[1] * 255) >> 8);

    // At scale 2 with the origin moved, the centre lands at ((cx - ox) / 2, (cy - oy) / 2).
    preview.haveMask = false;
    preview.mask = nullptr;
    preview.p().previewScale = 2;
    preview.p().sunCenterX = 40;
    preview.p().sunCenterY = 20;
    preview.p().previewOriginH = 10;
    preview.p().previewOriginV = 6;
    preview.row(7);
    EXPECT_EQ(preview.outAt(15, 7)[0], 254);  // the flat core, white, faded by 255
    EXPECT_EQ(preview.outAt(15, 7)[2], 254);
}

}  // namespace
}  // namespace rx
