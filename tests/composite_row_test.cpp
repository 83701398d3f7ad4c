// Whole rows through the band compositor on hand-made tables: the preview. (The core, the blends,
// grey images, extra planes, the spike colours and the streaks that wrap around a full turn are
// pinned by the golden images.)

#include <gtest/gtest.h>

#include "composite/blend_modes.h"
#include "composite_rig.h"

namespace rx {
namespace {

using testing::CompositeRig;

TEST(CompositeRow, PreviewOffsetsRowsFadesAndCentresByScale) {
    // A preview at scale 1 of a small image (that it shows the final render faded by the
    // full selection, r * 255 >> 8, is the preview render test's, through the entry point).
    CompositeRig preview(32, 16, 3);
    preview.p().sunRadius = 5;
    preview.p().lightingMode = lightingFlat;
    preview.p().flareRadius = 30;
    preview.p().haloRadius = 10;
    preview.p().previewRendering = 1;
    for (int z = 0; z < 3; ++z) {
        preview.t().sunRamp[z][255] = 255;
        for (int j = 0; j < 256; ++j) preview.t().haloRamp[z][j] = j / (z + 1);
    }
    for (size_t i = 0; i < preview.in.size(); ++i) preview.in[i] = uint8_t(i);
    preview.all();
    const std::vector<uint8_t> selected = preview.out;

    // With a mask: unselected pixels show the checkerboard, selected ones the picture.
    std::vector<uint8_t> mask(32 * 16, 255);
    mask[3 * 32 + 9] = 0;   // (9, 3): (9 ^ 3) & 8 = 8, dark square
    mask[3 * 32 + 20] = 0;  // (20, 3): (20 ^ 3) & 8 = 0, light square
    preview.haveMask = true;
    preview.mask = mask.data();
    preview.row(3);
    EXPECT_EQ(preview.outAt(9, 3)[0], 203);
    EXPECT_EQ(preview.outAt(20, 3)[1], 254);
    EXPECT_EQ(preview.outAt(21, 3)[1], selected[(3 * 32 + 21) * 3 + 1]);

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
