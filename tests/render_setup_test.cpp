// prepareSunTables: spike and flare geometry, core surface values, range clamping, determinism
// and the JSON dump. (The ramps at each slider's ends are pinned by the golden images.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "host/setting_table.h"
#include "render/noise.h"
#include "tests/render_rig.h"

namespace {

using rx::testing::RenderRig;
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The text of a top-level key's value in a dump (up to the next top-level key).
std::string section(const std::string& json, const std::string& key) {
    const size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return "";
    size_t i = at + key.size() + 3;
    const size_t start = i;
    for (int depth = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '[' || c == '{') ++depth;
        if ((c == ']' || c == '}') && depth-- == 0) break;
        if (c == ',' && depth == 0) break;
    }
    return json.substr(start, i - start);
}

TEST(RenderSetup, SizeExponentAndVectorAngle) {
    EXPECT_EQ(rx::sizeOf(0), 1);
    EXPECT_EQ(rx::sizeOf(100), 1001);
    EXPECT_EQ(rx::exponentG(-8), 1.0 / 9.0);
    EXPECT_EQ(rx::exponentG(0.04 * (0 - 25)), 0.5);
    EXPECT_EQ(rx::exponentG(0.04 * (100 - 25)), 4.0);
    const struct {
        float x, y;
        int32_t angle;
    } angles[] = {{1, 0, 0},          {0, 1, 90},         {-1, 0, 180},
                  {0, -1, 270},       {0, 0, 270},        {0.03f, -0.03f, 270},  // both below 1/33
                  {0.5f, 0.5f, 45},   {-0.5f, 0.5f, 135}, {-0.5f, -0.5f, 225},
                  {0.5f, -0.5f, 315}, {0.7f, 0.2f, 14},  // quantised to (23, 6): 14.6 degrees
                  {-0.7f, 0.2f, 165}, {kNaN, 1, 90}};
    for (const auto& a : angles) EXPECT_EQ(rx::vectorAngle(a.x, a.y), a.angle) << a.x << "," << a.y;
    // Every result lies in 0..359, for any float, without undefined conversions.
    const float odd[] = {0.0f, 1e-30f, 0.7f, -0.7f, 993.0f, 1e6f, 3e38f, -3e38f, kInf, -kInf, kNaN};
    for (float x : odd)
        for (float y : odd) {
            const int32_t a = rx::vectorAngle(x, y);
            ASSERT_TRUE(a >= 0 && a <= 359) << x << "," << y;
        }
}

TEST(RenderSetup, CoreSurfaceValuesAndLensTable) {
    RenderRig rig;
    rx::SunParameters& p = rig.p();
    p.sunRadius = 0;
    p.swirlSize = 30;
    p.sunSmear = 7;
    rig.prepareAndDump();
    EXPECT_EQ(rig.t().lensLast, 1);
    EXPECT_EQ(rig.lens[1], static_cast<int32_t>(2048 * 0.7f));
    EXPECT_EQ(rig.t().swirlReach, 960);
    EXPECT_EQ(rig.t().swirlForce, 28);
    // Octave thresholds at full scale (1 from sunDetail 62, 2 from 93) and the smear step
    // (D = 200 at detail 0, 25 at 100; -1: not checked).
    const struct {
        int detail, octaves, step;
    } steps[] = {{0, 0, 32},  {50, 0, 11}, {61, 0, -1}, {62, 1, -1},
                 {92, 1, -1}, {93, 2, -1}, {100, 2, 4}};
    for (const auto& s : steps) {
        p.sunDetail = s.detail;
        rig.prepareAndDump();
        EXPECT_EQ(rig.t().surfaceOctaves, s.octaves) << s.detail;
        if (s.step >= 0) {
            EXPECT_EQ(rig.t().smearStep, s.step) << s.detail;
        }
    }
    // The sphere mapping rises from about 1304 t to 2048 t at the rim.
    p.sunDetail = 50;
    p.sunRadius = 100;
    rig.prepareAndDump();
    EXPECT_EQ(rig.t().lensLast, 1001);
    EXPECT_EQ(rig.lens[1001], static_cast<int32_t>(2048 * 0.7f));
    EXPECT_NEAR(rig.lens[1], 1304 * 0.7, 2);
    for (int j = 2; j <= 1001; ++j) ASSERT_GE(rig.lens[j], rig.lens[j - 1]) << j;
    // A preview scale larger than f(sunRadius) still gives lensLast 1.
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
    // Zero vectors: angle 270, spread 0, full jitter within the stated ranges.
    p.flareVector = p.spikeVector = rx::Vector3f{0, 0, 0};
    p.previewScale = 3;
    p.spikeWidth = p.spikeRadius = 50;
    rig.prepareAndDump();
    EXPECT_EQ(rig.t().flareAngle, 270);
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

TEST(RenderSetup, SwirlCentresStayInTheCore) {
    RenderRig rig;
    rig.p().sunRadius = 40;  // f = 161
    rig.prepareAndDump();
    const int32_t q = (static_cast<int16_t>(rig.lens[161]) * (4 * 161)) >> 8;
    for (int i = 0; i < 100; ++i) {
        ASSERT_LE(std::abs(rig.t().swirlCenterH[i]), q);
        ASSERT_LE(std::abs(rig.t().swirlCenterV[i]), q);
    }
}

// The dump names every table (the cross-build comparison sees only what it names).
TEST(RenderSetup, EqualSettingsEqualTablesAndSeedOnlyMovesNoise) {
    RenderRig a, b;
    a.p().spikeVector = b.p().spikeVector = rx::Vector3f{0.2f, -0.1f, 0};
    const std::string first = a.prepareAndDump();
    EXPECT_EQ(first, a.prepareAndDump());
    EXPECT_EQ(first, b.prepareAndDump());
    b.p().seed = 22;
    const std::string other = b.prepareAndDump();
    for (const char* key :
         {"haloRamp", "flareRamp", "sunRamp", "spikeRamp", "ringRamp", "spikeProfile", "lensTable",
          "lensLast", "cellWeights", "noiseSource", "spikeAngle", "flareAngle", "spikeSpread",
          "flareSpread", "smearStep", "swirlReach", "swirlForce", "surfaceOctaves"}) {
        EXPECT_FALSE(section(first, key).empty()) << key;
        EXPECT_EQ(section(first, key), section(other, key)) << key;
    }
    for (const char* key :
         {"noiseTable", "flareAngles", "spikeLines", "swirlCenterH", "swirlCenterV"})
        EXPECT_NE(section(first, key), section(other, key)) << key;
    const std::string lens = section(first, "lensTable");  // entries 0..lensLast: 42 numbers
    EXPECT_EQ(section(first, "lensLast"), "41");
    EXPECT_EQ(std::count(lens.begin(), lens.end(), ','), 41);
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
    EXPECT_EQ(clamped.p().sunRadius, 100);
    EXPECT_EQ(clamped.p().spikeVector.y, 1e7f);
    EXPECT_EQ(dump, clamped.prepareAndDump());
    EXPECT_EQ(rig.t().spikeAngle, 90);
    EXPECT_EQ(rig.t().flareAngle, 135);
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
