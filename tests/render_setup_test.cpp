// prepareSunTables: ramps, spike and flare geometry, core surface values, range clamping,
// determinism and the JSON dump.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "render/noise.h"
#include "tests/render_rig.h"

namespace {

using rx::testing::RenderRig;

// The text of a top-level key's value in a dump (up to the next top-level key).
std::string section(const std::string& json, const std::string& key) {
    const size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return "";
    size_t i = at + key.size() + 3;
    int depth = 0;
    const size_t start = i;
    for (; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '[' || c == '{') ++depth;
        if (c == ']' || c == '}') {
            if (depth == 0) break;
            --depth;
        }
        if (c == ',' && depth == 0) break;
    }
    return json.substr(start, i - start);
}

TEST(RenderSetup, SizeAndExponentFunctions) {
    EXPECT_EQ(rx::sizeOf(0), 1);
    EXPECT_EQ(rx::sizeOf(20), 41);
    EXPECT_EQ(rx::sizeOf(100), 1001);
    EXPECT_EQ(rx::exponentG(0), 1.0);
    EXPECT_EQ(rx::exponentG(8), 9.0);
    EXPECT_EQ(rx::exponentG(-8), 1.0 / 9.0);
    EXPECT_EQ(rx::exponentG(0.16 * (50 - 0)), 9.0);
    EXPECT_EQ(rx::exponentG(0.04 * (0 - 25)), 0.5);
    EXPECT_EQ(rx::exponentG(0.04 * (100 - 25)), 4.0);
}

TEST(RenderSetup, VectorAngle) {
    EXPECT_EQ(rx::vectorAngle(1, 0), 0);
    EXPECT_EQ(rx::vectorAngle(0, 1), 90);
    EXPECT_EQ(rx::vectorAngle(-1, 0), 180);
    EXPECT_EQ(rx::vectorAngle(0, -1), 270);
    EXPECT_EQ(rx::vectorAngle(0, 0), 270);
    EXPECT_EQ(rx::vectorAngle(0.03f, -0.03f), 270);  // both below 1/33
    EXPECT_EQ(rx::vectorAngle(0.5f, 0.5f), 45);
    EXPECT_EQ(rx::vectorAngle(-0.5f, 0.5f), 135);
    EXPECT_EQ(rx::vectorAngle(-0.5f, -0.5f), 225);
    EXPECT_EQ(rx::vectorAngle(0.5f, -0.5f), 315);
    EXPECT_EQ(rx::vectorAngle(0.7f, 0.2f), 14);    // quantised to (23, 6): 14.6 degrees
    EXPECT_EQ(rx::vectorAngle(-0.7f, 0.2f), 165);  // (-23, 6): 165.4 degrees
    // Every result lies in 0..359, for any float, without undefined conversions.
    const float odd[] = {0.0f, 1e-30f, 0.7f, -0.7f, 993.0f, 1e6f, 3e38f, -3e38f,
                         std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                         std::numeric_limits<float>::quiet_NaN()};
    for (float x : odd)
        for (float y : odd) {
            const int32_t a = rx::vectorAngle(x, y);
            ASSERT_GE(a, 0);
            ASSERT_LE(a, 359);
        }
    EXPECT_EQ(rx::vectorAngle(std::numeric_limits<float>::quiet_NaN(), 1), 90);
}

TEST(RenderSetup, RampsAtTheirNeutralAndExtremeSettings) {
    RenderRig rig;
    rx::SunParameters& p = rig.p();
    p.haloColor = rx::RGB16{0xFF00, 0x8000, 0x4000};
    p.haloBrightness = 50;
    p.sunColdHot = 50;
    p.sunColor = rx::RGB16{0xFFFF, 0xCE00, 0x0800};
    p.flareColor = rx::RGB16{0xFFFF, 0xFFFF, 0xFFFF};
    p.spikeGamma = 25;
    rig.prepareAndDump();
    const rx::SunRenderTables& t = p.tables;
    for (int i = 0; i < 256; ++i) {
        // g = 1: the halo is weighted by i / 256 even at the neutral setting.
        ASSERT_EQ(t.haloRamp[0][i], static_cast<int32_t>(((255 * i) >> 8) * (i / 256.0))) << i;
        ASSERT_EQ(t.sunRamp[0][i], (511 * i) >> 8);
        ASSERT_EQ(t.sunRamp[1][i], (0x19C * i) >> 8);
        ASSERT_EQ(t.sunRamp[2][i], (0x10 * i) >> 8);
    }
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(t.haloRamp[c][0], 0);
        EXPECT_EQ(t.sunRamp[c][0], 0);
        EXPECT_EQ(t.flareRamp[c][0], 0);
    }
    EXPECT_EQ(t.flareRamp[0][255], 1016);  // four times the colour byte at most
    EXPECT_EQ(t.flareRamp[1][255], (255 * (254 + 255)) >> 7);
    for (int i = 0; i <= 300; ++i) ASSERT_EQ(rig.session.spikeProfile[i], static_cast<int16_t>(i * 0.0033333333333333335 * 300));

    // haloBrightness 0 gives exponent 9, 100 gives 1/9: a darker and a brighter halo.
    p.haloBrightness = 0;
    rig.prepareAndDump();
    const int32_t dim = t.haloRamp[0][128];
    p.haloBrightness = 100;
    rig.prepareAndDump();
    const int32_t bright = t.haloRamp[0][128];
    EXPECT_EQ(dim, 0);  // 127 * 2^-9
    EXPECT_EQ(bright, static_cast<int32_t>(127 * std::pow(0.5, 1.0 / 9.0)));
    // Cold: red bends toward the cube; hot: blue does; green toward the square both ways.
    p.sunColdHot = 0;
    rig.prepareAndDump();
    EXPECT_EQ(t.sunRamp[0][128], ((((128 * 128 * 128) >> 16) * 50 / 50) * 511) / 256);
    EXPECT_EQ(t.sunRamp[2][128], (16 * 128) >> 8);
    p.sunColdHot = 100;
    rig.prepareAndDump();
    EXPECT_EQ(t.sunRamp[0][128], (511 * 128) >> 8);
    EXPECT_EQ(t.sunRamp[1][200], ((((200 * 200) >> 8) * 50 / 50) * 0x19C) / 256);
    // spikeGamma 0 is a square root, 100 a fourth power.
    p.spikeGamma = 0;
    rig.prepareAndDump();
    EXPECT_EQ(rig.session.spikeProfile[75], static_cast<int16_t>(std::sqrt(75 * 0.0033333333333333335) * 300));
    EXPECT_EQ(rig.session.spikeProfile[300], 300);
}

TEST(RenderSetup, CoreSurfaceValuesAndLensTable) {
    RenderRig rig;
    rx::SunParameters& p = rig.p();
    p.sunDetail = 50;
    p.sunRadius = 0;
    p.swirlSize = 30;
    p.sunSmear = 7;
    rig.prepareAndDump();
    EXPECT_EQ(rig.session.lensLast, 1);
    EXPECT_EQ(rig.lens[0], 0);
    EXPECT_EQ(rig.lens[1], static_cast<int32_t>(2048 * 0.7f));
    EXPECT_EQ(p.smearStep, 11);
    EXPECT_EQ(p.surfaceOctaves, 0);
    EXPECT_EQ(p.swirlReach, 960);
    EXPECT_EQ(p.swirlForce, 28);
    // Octave thresholds at full scale: 1 from sunDetail 62, 2 from 93.
    const struct {
        int detail, octaves;
    } steps[] = {{61, 0}, {62, 1}, {92, 1}, {93, 2}, {100, 2}, {0, 0}};
    for (const auto& s : steps) {
        p.sunDetail = s.detail;
        rig.prepareAndDump();
        EXPECT_EQ(p.surfaceOctaves, s.octaves) << s.detail;
    }
    p.sunDetail = 0;  // D = 200, t = 2
    rig.prepareAndDump();
    EXPECT_EQ(p.smearStep, 32);
    p.sunDetail = 100;  // D = 25, t = 0.25
    rig.prepareAndDump();
    EXPECT_EQ(p.smearStep, 4);

    // The sphere mapping rises from about 1304 t to 2048 t at the rim.
    p.sunDetail = 50;
    p.sunRadius = 100;
    rig.prepareAndDump();
    EXPECT_EQ(rig.session.lensLast, 1001);
    EXPECT_EQ(rig.lens[1001], static_cast<int32_t>(2048 * 0.7f));
    EXPECT_NEAR(rig.lens[1], 1304 * 0.7, 2);
    for (int j = 2; j <= 1001; ++j) ASSERT_GE(rig.lens[j], rig.lens[j - 1]) << j;

    // A preview scale larger than f(sunRadius) still gives lensLast 1.
    p.sunRadius = 10;  // f = 11
    p.previewScale = 16;
    rig.prepareAndDump();
    EXPECT_EQ(rig.session.lensLast, 1);
    EXPECT_EQ(p.smearStep, static_cast<int32_t>(16 * static_cast<double>(static_cast<float>(16 * 0.7))));
    EXPECT_EQ(p.surfaceOctaves, 0);
}

TEST(RenderSetup, FlareStreaksAndSpikeLines) {
    RenderRig rig;
    rx::SunParameters& p = rig.p();
    // A spread of 0.91 or more removes the jitter: streaks exactly at base and half a turn away.
    p.flareVector = rx::Vector3f{1.0f, 0.0f, 0.0f};
    p.flareWidth = 50;
    p.spikeVector = rx::Vector3f{0.0f, 1.0f, 0.0f};
    p.spikeWidth = 0;
    p.spikeRadius = 0;
    rig.prepareAndDump();
    EXPECT_EQ(p.flareAngle, 0);
    EXPECT_EQ(p.flareSpread, 1.0f);
    const int32_t base = 0 - (2048 / 2) + 16384;  // angle 0, half of 2048 (width 50)
    for (int m = 0; m <= 100; ++m) ASSERT_EQ(rig.w().flareAngles[m], m & 1 ? base + 8192 - 16384 : base) << m;
    EXPECT_EQ(p.spikeAngle, 90);
    // Spread 1: no jitter; every spike lies along 90 degrees: theta = 512 kappa - 1.5707963268.
    const double theta = 512 * 0.0030679315631683287 - 1.5707963268;
    const int32_t sn = static_cast<int32_t>(255 * std::sin(theta));
    const int32_t cs = static_cast<int32_t>(255 * std::cos(theta));
    EXPECT_EQ(sn, 0);
    EXPECT_EQ(cs, 254);
    for (int k = 0; k <= 254; ++k) {
        const int32_t u = 200 + 5 * k;
        const int32_t wn = rig.w().noiseTable[u + 2] & 63;
        const int32_t w = 93 - (wn * wn) / 63;
        const int32_t l = (rig.w().noiseTable[u + 4] & 127) + 30;
        ASSERT_EQ(rig.session.spikeLines.a[k], 0) << k;
        ASSERT_EQ(rig.session.spikeLines.b[k], (cs * w * 4) / 100) << k;
        ASSERT_EQ(rig.session.spikeLines.c[k], (cs * l * 30) / 128) << k;
        ASSERT_EQ(rig.session.spikeLines.e[k], 0) << k;
    }

    // Zero vectors: angle 270, spread 0, full jitter within the stated ranges.
    p.flareVector = rx::Vector3f{0, 0, 0};
    p.spikeVector = rx::Vector3f{0, 0, 0};
    p.previewScale = 3;
    p.spikeWidth = 50;
    p.spikeRadius = 50;
    rig.prepareAndDump();
    EXPECT_EQ(p.flareAngle, 270);
    EXPECT_EQ(p.spikeSpread, 0.0f);
    bool jittered = false;
    for (int m = 0; m <= 100; ++m) {
        ASSERT_GE(rig.w().flareAngles[m], -4096);
        ASSERT_LE(rig.w().flareAngles[m], 20479);
        jittered |= rig.w().flareAngles[m] != rig.w().flareAngles[m & 1];
    }
    EXPECT_TRUE(jittered);
    for (int k = 0; k <= 254; ++k) {
        // |a| <= S * 255 * 93 * 4 / 100 / 51 with S = 3.
        ASSERT_LE(std::abs(rig.session.spikeLines.a[k]), 3 * 255 * 93 * 4 / 100 / 51);
        ASSERT_LE(std::abs(rig.session.spikeLines.c[k]), 3 * 255 * 157 * 30 / 128 / 51);
    }
}

TEST(RenderSetup, SwirlCentresAndBandCursor) {
    RenderRig rig;
    rx::SunParameters& p = rig.p();
    p.sunRadius = 40;  // f = 161
    rig.session.renderHeight = 480;
    rig.session.busy = 0;
    rig.session.nextRow = 17;
    rig.session.progressDone = 5;
    rig.prepareAndDump();
    const int32_t q = (static_cast<int16_t>(rig.lens[161]) * (4 * 161)) >> 8;
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(p.tables.swirlCenterH[i], (((rig.w().noiseTable[400 + 2 * i] & 255) - 128) * q) / 128);
        ASSERT_EQ(p.tables.swirlCenterV[i], (((rig.w().noiseTable[401 + 2 * i] & 255) - 128) * q) / 128);
    }
    EXPECT_EQ(rig.session.busy, 1);
    EXPECT_EQ(rig.session.nextRow, 0);
    EXPECT_EQ(rig.session.progressDone, 0);
    EXPECT_EQ(rig.session.progressTotal, 481);
}

TEST(RenderSetup, EqualSettingsEqualTablesAndSeedOnlyMovesNoise) {
    RenderRig a, b;
    a.p().spikeVector = b.p().spikeVector = rx::Vector3f{0.2f, -0.1f, 0};
    const std::string first = a.prepareAndDump();
    EXPECT_EQ(first, a.prepareAndDump());
    EXPECT_EQ(first, b.prepareAndDump());

    b.p().seed = 22;
    const std::string other = b.prepareAndDump();
    for (const char* key : {"haloRamp", "flareRamp", "sunRamp", "spikeRamp", "ringRamp", "spikeProfile",
                            "lensTable", "cellWeights", "noiseSource", "spikeAngle", "smearStep"})
        EXPECT_EQ(section(first, key), section(other, key)) << key;
    for (const char* key : {"noiseTable", "flareAngles", "spikeLines", "swirlCenterH", "swirlCenterV"})
        EXPECT_NE(section(first, key), section(other, key)) << key;
}

TEST(RenderSetup, OutOfRangeSettingsAreBroughtIntoRange) {
    RenderRig rig;
    rx::SunParameters& p = rig.p();
    p.spikeWidth = -1;  // would divide by zero
    p.spikeRadius = -1;
    p.sunRadius = 100000;
    p.sunDetail = -50;
    p.haloBrightness = 1000;
    p.bowSmear = 500;
    p.bowInvert = 7;
    p.seed = 2048 + 5;
    p.spikeCount = 999;
    p.lightingMode = 9;
    p.blendMode = 0;
    p.previewScale = 0;
    p.spikeVector = rx::Vector3f{std::numeric_limits<float>::quiet_NaN(), 1e30f, -std::numeric_limits<float>::infinity()};
    p.flareVector = rx::Vector3f{-3e38f, std::numeric_limits<float>::infinity(), 0};
    rig.prepareAndDump();
    EXPECT_EQ(p.spikeWidth, 0);
    EXPECT_EQ(p.spikeRadius, 0);
    EXPECT_EQ(p.sunRadius, 100);
    EXPECT_EQ(p.sunDetail, 0);
    EXPECT_EQ(p.haloBrightness, 100);
    EXPECT_EQ(p.bowSmear, 100);
    EXPECT_EQ(p.bowInvert, 1);
    EXPECT_EQ(p.seed, 5);
    EXPECT_EQ(p.spikeCount, 100);
    EXPECT_EQ(p.lightingMode, 1);
    EXPECT_EQ(p.blendMode, 1);
    EXPECT_EQ(p.spikeVector.x, 0.0f);
    EXPECT_EQ(p.spikeVector.y, 1e7f);
    EXPECT_EQ(p.spikeVector.z, -1e7f);
    EXPECT_EQ(p.spikeAngle, 90);
    EXPECT_EQ(p.flareAngle, 135);
    EXPECT_EQ(rig.session.lensLast, 1001);  // scale 0 renders at full size
}

TEST(RenderSetup, SmallLensBufferIsNeverOverrun) {
    // The band setup always sizes the lens table above 1001 entries; a smaller one is
    // filled only as far as it goes, and the rim is read from its last entry.
    RenderRig rig(100);
    rig.p().sunRadius = 100;
    rig.prepareAndDump();  // ASan reports any write past the buffer
    EXPECT_EQ(rig.session.lensLast, 1001);
    EXPECT_EQ(rig.lens[99], static_cast<int32_t>(2048 * 0.7f));

    RenderRig none(0);
    none.prepareAndDump();
    EXPECT_EQ(none.session.lensLast, 41);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(none.p().tables.swirlCenterH[i], 0);
}

TEST(RenderSetup, JsonDumpNamesEveryTable) {
    RenderRig rig;
    const std::string json = rig.prepareAndDump();
    ASSERT_EQ(json.front(), '{');
    ASSERT_EQ(json.back(), '}');
    for (const char* key : {"haloRamp", "flareRamp", "sunRamp", "spikeRamp", "ringRamp", "spikeProfile", "spikeLines",
                            "flareAngles", "lensTable", "lensLast", "cellWeights", "noiseTable", "noiseSource",
                            "swirlCenterH", "swirlCenterV", "spikeAngle", "flareAngle", "spikeSpread", "flareSpread",
                            "smearStep", "swirlReach", "swirlForce", "surfaceOctaves"})
        EXPECT_FALSE(section(json, key).empty()) << key;
    EXPECT_EQ(section(json, "lensLast"), "41");
    EXPECT_EQ(section(json, "swirlReach"), "960");
    // lensTable holds entries 0..lensLast: 42 numbers.
    const std::string lens = section(json, "lensTable");
    EXPECT_EQ(std::count(lens.begin(), lens.end(), ','), 41);
    EXPECT_EQ(section(json, "noiseSource").substr(0, 10), "[1317,807,");
    const std::string lines = section(json, "spikeLines");
    EXPECT_EQ(lines.substr(0, 6), "{\"a\":[");
    EXPECT_NE(lines.find("\"e\":["), std::string::npos);
    // Balanced brackets.
    int depth = 0;
    for (char c : json) {
        depth += (c == '{' || c == '[') - (c == '}' || c == ']');
        ASSERT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
}

}  // namespace
