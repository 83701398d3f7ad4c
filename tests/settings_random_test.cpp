// Dice and Ecce: the order and ranges of the draws on a scripted generator (which bits of a
// draw count shows in the exact values), and the shares of the rarer outcomes on the runtime
// generator. The dialog's Dice and Ecce buttons are the Wine preview dialog test's.
#include "settings/random_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/types/setting_table.h"
#include "host_test_support.h"
#include "settings/preset_file.h"

namespace rx {
namespace {

// Hands out a fixed list of draws and counts them; running out fails the test.
struct Script {
    std::vector<int> values;
    size_t next = 0;
    RandomDraw draw() {
        return [this] {
            if (next >= values.size()) {
                ADD_FAILURE() << "more draws than scripted";
                return 0;
            }
            return values[next++];
        };
    }
};

int k(int offset) { return offset << 4; }  // randRange(lo, hi) gives lo + offset

using testing::defaults;

TEST(Dice, DrawsInOrderAndLeavesTheRestAlone) {
    Script s{{
        k(1),   k(2),  k(3),   k(4),  k(5),  k(6),  k(7), k(8), k(9), k(10), k(11),  // 1..11
        k(1),   k(0),                                                                // toggles
        0x11,   0x22,  0x33,   0x44,  0x55,  0x66,  0x77, 0x88, 0x99,  // sun, flare, halo
        k(15),  k(16), k(17),  k(18),                                  // halo, bow
        k(200), k(12),                                                 // master: redraw
        k(21),  k(1),  k(23),  k(24), k(19), k(26), k(7),              // 21..27
        0x7FF5,                                                        // seed
        0x1A1,  0xB2,  0xC3,   0xD4,  0xE5,  0xF6,                     // spike, extra
        k(95),  k(32), k(33),  k(20),                                  // eclipse; no copy
        k(61),  k(0),  k(140),                                         // spike vector
        k(60),                                                         // no flare vector
    }};
    SunParameters p = defaults();
    p.blendMode = 7;
    p.sunCenterX = 123;
    p.previewScale = 4;
    p.autoPreview = 0;
    p.flareVector = Vector3f{0.25f, 0.5f, 0};
    std::strcpy(p.presetFolder, "somewhere");
    SunParameters before = p;

    randomizeSettings(p, s.draw());
    EXPECT_EQ(s.next, s.values.size());
    EXPECT_STREQ(p.presetName, "random settings");
    // The preset's values in its order: the sun, flare and halo colours; spike brightness ..
    // flare count (swirl size 8 + 5, sun detail 10 + 30, halo brightness 15 + 31); the second
    // halo colour, the spike colour (kept) and the extra colour; bow smear, flare radius,
    // eclipse, the blend mode left alone, master brightness redrawn, .., the spike vector and
    // none for the flares, the seed's low 11 bits, flare brightness 50 + 21.
    const int32_t expected[] = {
        0x1100, 0x2200, 0x3300, 0x4400, 0x5500, 0x6600, 0x7700, 0x8800, 0x9900, 1,
        2,      3,      4,      5,      6,      7,      13,     9,      40,     11,
        1,      0,      15,     46,     17,     18,     23,     24,     19,     0x7700,
        0x8800, 0x9900, 0xA100, 0xB200, 0xC300, 0xD400, 0xE500, 0xF600, 32,     33,
        3,      7,      1,      37,     25,     1,      26,     27,     -70,    70,
        0,      0,      0,      0,      0x7F5,  71,     1};
    const auto bytes = serializePreset(p);
    for (size_t i = 0; i + 1 < kPresetFileSize / 4; ++i) {
        const uint8_t* b = &bytes[4 + 4 * i];
        EXPECT_EQ(int32_t(uint32_t(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3]), expected[i])
            << "value " << i;
    }
    // Everything outside the settings is left alone.
    parsePreset(serializePreset(before).data(), kPresetFileSize, p);
    std::memcpy(p.presetName, before.presetName, sizeof p.presetName);
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
    p = defaults();

    // The last draws the other way: normal light, spike colour copied from the sun.
    s.values.resize(s.values.size() - 8);
    s.values.insert(s.values.end(), {k(94), k(0), k(0), k(21), k(0), k(0)});
    s.next = 0;
    randomizeSettings(p, s.draw());
    EXPECT_EQ(s.next, s.values.size());
    EXPECT_EQ(p.lightingMode, 1);
    EXPECT_EQ(std::memcmp(&p.spikeColor, &p.sunColor, sizeof(RGB16)), 0);
}

TEST(Dice, OutcomesOnTheRuntimeGenerator) {
    std::srand(20240611);
    const int runs = 20000;
    int eclipse = 0, spikeIsSun = 0, spikeVectors = 0;
    for (int i = 0; i < runs; ++i) {
        SunParameters p = defaults();
        randomizeSettings(p, runtimeRandom());
        SunParameters clamped = p;
        clampSettings(clamped);
        ASSERT_EQ(std::memcmp(&clamped, &p, sizeof p), 0) << "a draw outside its setting's range";
        // Narrower than the settings' ranges: the draws' own.
        ASSERT_TRUE(p.lightingMode != 2 && p.flareDetail == 25 && p.flareBrightness >= 50 &&
                    p.flareCount <= 20 && p.masterBrightness >= 25 && p.masterBrightness <= 37);
        ASSERT_EQ(std::memcmp(&p.haloColor2, &p.haloColor, sizeof(RGB16)), 0);
        eclipse += p.lightingMode == 3;
        spikeIsSun += std::memcmp(&p.spikeColor, &p.sunColor, sizeof(RGB16)) == 0;
        for (const Vector3f& v : {p.spikeVector, p.flareVector}) {
            ASSERT_EQ(v.z, 0.0f);
            for (float c : {v.x, v.y}) {
                float hundredths = std::round(c * 100.0f);
                ASSERT_LE(std::fabs(hundredths), 70.0f);
                ASSERT_EQ(c, float((hundredths)*0.01)) << c;
            }
            spikeVectors += v.x != 0.0f || v.y != 0.0f;
        }
    }
    // 6 of 101 draws give eclipse, 80 of 101 copy the sun colour, 40 of 101 set a vector
    // (a drawn vector of (0, 0) is rare enough to ignore).
    EXPECT_NEAR(eclipse / double(runs), 6.0 / 101, 0.006);
    EXPECT_NEAR(spikeIsSun / double(runs), 80.0 / 101, 0.015);
    EXPECT_NEAR(spikeVectors / double(2 * runs), 40.0 / 101, 0.015);
}

TEST(Ecce, ChangesOnlyTheSeed) {
    SunParameters p = defaults();
    SunParameters before = p;
    Script s{{0x12345}};
    newSeed(p, s.draw());
    EXPECT_EQ(p.seed, 0x345);
    p.seed = before.seed;
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
}

}  // namespace
}  // namespace rx
