// prepareSunTables: spike and flare geometry, core surface values, range clamping, determinism
// and the JSON dump. (The ramps at each slider's ends are pinned by the golden images.)
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "host/types/setting_table.h"
#include "render/noise.h"
#include "tests/composite_rig.h"

namespace {

using rx::testing::RenderRig;
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(RenderSetup, VectorAngleInEveryQuadrantAndForAnyFloat) {
    const struct {
        float x, y;
        int32_t angle;
    } angles[] = {{1, 0, 0},          {0, 1, 90},         {-1, 0, 180},
                  {0, -1, 270},       {0, 0, 270},        {0.03f, -0.03f, 270},  // both below 1/33
                  {0.5f, 0.5f, 45},   {-0.5f, 0.5f, 135}, {-0.5f, -0.5f, 225},
                  {0.5f, -0.5f, 315}, {0.7f, 0.2f, 14},  // quantised to (23, 6): 14.6 degrees
                  {-0.7f, 0.2f, 165}, {kNaN, 1, 90}};
    for (const auto& a : angles) EXPECT_EQ(rx::vectorAngle(a.x, a.y), a.angle) << a.x << "," << a.y;
    const float odd[] = {0.0f, 1e-30f, 0.7f, -0.7f, 993.0f, 1e6f, 3e38f, -3e38f, kInf, -kInf, kNaN};
    for (float x : odd)
        for (float y : odd) {
            const int32_t a = rx::vectorAngle(x, y);
            ASSERT_TRUE(a >= 0 && a <= 359) << x << "," << y;
        }
}

TEST(RenderSetup, OctaveThresholdsAndPreviewLens) {
    RenderRig rig;
    rx::SunParameters& p = rig.p();
    // Octave thresholds at full scale: 1 from sunDetail 62, 2 from 93 (the goldens hold the ends).
    for (const int detail : {61, 62, 92, 93}) {
        p.sunDetail = detail;
        rig.prepareAndDump();
        EXPECT_EQ(rig.t().surfaceOctaves, (detail >= 62) + (detail >= 93)) << detail;
    }
    // A preview scale larger than f(sunRadius) still gives lensLast 1.
    p.sunDetail = 50;
    p.sunRadius = 10;  // f = 11
    p.previewScale = 16;
    rig.prepareAndDump();
    EXPECT_EQ(rig.t().lensLast, 1);
    EXPECT_EQ(rig.t().smearStep, 179);
}

TEST(RenderSetup, FlareStreaksAndSpikeLines) {
    RenderRig rig;
    rx::SunParameters& p = rig.p();
    // A spread of 0.91 or more removes the jitter: streaks exactly at base and half a turn away.
    p.flareVector = rx::Vector3f{1.0f, 0.0f, 0.0f};
    rig.prepareAndDump();
    const int32_t base = 16384 - 1024;  // angle 0, half of arc 2048 (width 50)
    for (int m = 0; m <= 100; ++m)
        ASSERT_EQ(rig.t().flareAngles[m], m & 1 ? base - 8192 : base) << m;
    // Zero vectors: spread 0, full jitter within the stated ranges.
    p.flareVector = p.spikeVector = rx::Vector3f{0, 0, 0};
    p.previewScale = 3;
    p.spikeWidth = p.spikeRadius = 50;
    rig.prepareAndDump();
    EXPECT_EQ(rig.t().spikeSpread, 0.0f);
    bool jittered = false;
    for (int m = 0; m <= 100; ++m) {
        ASSERT_GE(rig.t().flareAngles[m], -4096);
        ASSERT_LE(rig.t().flareAngles[m], 20479);
        jittered |= rig.t().flareAngles[m] != rig.t().flareAngles[m & 1];
    }
    EXPECT_TRUE(jittered);
    for (int k = 0; k <= 254; ++k) {  // |a| <= S * 255 * 93 * 4 / 100 / 51 with S = 3
        ASSERT_LE(std::abs(rig.t().spikeLines.a[k]), 3 * 255 * 93 * 4 / 100 / 51);
        ASSERT_LE(std::abs(rig.t().spikeLines.c[k]), 3 * 255 * 157 * 30 / 128 / 51);
    }
}

// The dump names every table (the cross-build comparison sees only what it names) and is the
// same for equal settings.
TEST(RenderSetup, DumpNamesEveryTable) {
    RenderRig a, b;
    const std::string dump = a.prepareAndDump();
    EXPECT_EQ(dump, b.prepareAndDump());
    for (const char* key :
         {"haloRamp",     "flareRamp",    "sunRamp",        "spikeRamp",   "ringRamp",
          "spikeProfile", "lensTable",    "lensLast",       "cellWeights", "noiseSource",
          "spikeAngle",   "flareAngle",   "spikeSpread",    "flareSpread", "smearStep",
          "swirlReach",   "swirlForce",   "surfaceOctaves", "noiseTable",  "flareAngles",
          "spikeLines",   "swirlCenterH", "swirlCenterV"})
        EXPECT_NE(dump.find("\"" + std::string(key) + "\":"), std::string::npos) << key;
}

TEST(RenderSetup, OutOfRangeSettingsRenderAsTheirClampedValues) {
    RenderRig rig, clamped;
    rx::SunParameters& p = rig.p();
    p.spikeWidth = -1;  // would divide by zero
    p.sunRadius = 100000;
    p.seed = 2048 + 5;
    p.lightingMode = 9;
    p.previewScale = 0;
    p.spikeVector = rx::Vector3f{kNaN, 1e30f, -kInf};
    p.flareVector = rx::Vector3f{-3e38f, kInf, 0};
    const std::string dump = rig.prepareAndDump();
    EXPECT_EQ(p.spikeWidth, -1);  // the settings themselves are left as they are
    clamped.p() = p;
    rx::clampSettings(clamped.p());
    EXPECT_EQ(clamped.p().spikeVector.y, 1e7f);
    EXPECT_EQ(dump, clamped.prepareAndDump());
    EXPECT_EQ(rig.t().lensLast, 1001);  // scale 0 renders at full size
}

TEST(RenderSetup, SmallLensBufferIsNeverOverrun) {
    // The band setup always sizes the lens table above 1001 entries; a smaller one is
    // filled only as far as it goes, and the rim is read from its last entry.
    RenderRig rig(100);
    rig.p().sunRadius = 100;
    rig.prepareAndDump();  // ASan reports any write past the buffer
    EXPECT_EQ(rig.t().lensLast, 1001);
    EXPECT_EQ(rig.lens[99], static_cast<int32_t>(2048 * 0.7f));
    RenderRig none(0);
    none.prepareAndDump();
    EXPECT_EQ(none.t().lensLast, 41);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(none.t().swirlCenterH[i], 0);
}

}  // namespace
