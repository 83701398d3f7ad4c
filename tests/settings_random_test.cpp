// Dice and Ecce: the order and ranges of the draws on a scripted generator, and the
// shares of the rarer outcomes on the runtime generator.
#include "settings/random_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "host/session.h"
#include "host/setting_table.h"

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

SunParameters defaults() {
    SunParameters p;
    std::memset(&p, 0, sizeof p);
    ApplyDefaults(p);
    return p;
}

TEST(RandomDraws, RangeRedrawsAboveTheTopAndColoursTakeTheLowByte) {
    Script s{{k(200), k(101), 0x0F | k(5)}};
    RandomDraw d = s.draw();
    EXPECT_EQ(randRange(d, 0, 100), 5);  // 200 and 101 are redrawn, the low 4 bits ignored
    EXPECT_EQ(s.next, 3u);
    s.values = {k(255) | 0x7FFF0000, k(3)};
    s.next = 0;
    EXPECT_EQ(randRange(d, 0, 255), 255);  // only bits 4..11 count
    EXPECT_EQ(randRange(d, 25, 37), 28);
    EXPECT_EQ(randRange(d, 5, 4), 5);  // an empty range draws nothing
    EXPECT_EQ(s.next, 2u);

    s.values = {0x1AB, 0x2CD, 0x3EF};
    s.next = 0;
    RGB16 c{};
    randColour(d, c);
    EXPECT_EQ(c.red, 0xAB00);
    EXPECT_EQ(c.green, 0xCD00);
    EXPECT_EQ(c.blue, 0xEF00);
}

TEST(Dice, DrawsInOrderAndLeavesTheRestAlone) {
    Script s{{
        k(1), k(2), k(3), k(4), k(5), k(6), k(7), k(8), k(9), k(10), k(11),  // 1..11
        k(1), k(0),                                                           // toggles
        0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99,                 // sun, flare, halo
        k(15), k(16), k(17), k(18),                                           // halo, bow
        k(200), k(12),                                                        // master: redraw
        k(21), k(1), k(23), k(24), k(19), k(26), k(7),                        // 21..27
        0x7FF5,                                                               // seed
        0x1A1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6,                                  // spike, extra
        k(95), k(32), k(33), k(20),                                           // eclipse; no copy
        k(61), k(0), k(140),                                                  // spike vector
        k(60),                                                                // no flare vector
    }};
    SunParameters p = defaults();
    p.blendMode = 7;
    p.sunCenterX = 123;
    p.sunCenterY = 45;
    p.previewScale = 4;
    p.previewOriginH = 9;
    p.autoPreview = 0;
    p.flareVector = Vector3f{0.3f, 0.4f, 0.5f};
    std::strcpy(p.presetFolder, "somewhere");
    SunParameters before = p;

    randomizeSettings(p, s.draw());
    EXPECT_EQ(s.next, s.values.size());

    const int32_t expected[] = {1, 2, 3, 4, 5, 6, 7, 13, 9, 40, 11, 1, 0};
    const int32_t got[] = {p.spikeBrightness, p.spikeWidth, p.spikeRadius, p.spikeCount,
                           p.sunRadius,       p.sunColdHot, p.sunSmear,    p.swirlSize,
                           p.swirlCount,      p.sunDetail,  p.spikeGamma,  p.vortices,
                           p.monopoles};
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(got[i], expected[i]) << "draw " << i;
    EXPECT_EQ(p.sunColor.red, 0x1100);
    EXPECT_EQ(p.sunColor.blue, 0x3300);
    EXPECT_EQ(p.flareColor.green, 0x5500);
    EXPECT_EQ(p.haloColor.blue, 0x9900);
    EXPECT_EQ(p.haloRadius, 15);
    EXPECT_EQ(p.haloBrightness, 46);
    EXPECT_EQ(p.bowRadius, 17);
    EXPECT_EQ(p.bowWidth, 18);
    EXPECT_EQ(p.masterBrightness, 37);
    EXPECT_EQ(p.flareDetail, 25);
    EXPECT_EQ(p.flareBrightness, 71);
    EXPECT_EQ(p.bowInvert, 1);
    EXPECT_EQ(p.bowBrightness, 23);
    EXPECT_EQ(p.flareWidth, 24);
    EXPECT_EQ(p.flareCount, 19);
    EXPECT_EQ(p.spikeDiffraction, 26);
    EXPECT_EQ(p.spikeDetail, 27);
    EXPECT_EQ(p.seed, 0x7F5);
    EXPECT_EQ(p.spikeColor.red, 0xA100);  // kept: the copy draw was not above 20
    EXPECT_EQ(p.spikeColor.blue, 0xC300);
    EXPECT_EQ(p.extraColor.red, 0xD400);
    EXPECT_EQ(p.extraColor.blue, 0xF600);
    EXPECT_EQ(std::memcmp(&p.haloColor2, &p.haloColor, sizeof(RGB16)), 0);
    EXPECT_EQ(p.lightingMode, 3);
    EXPECT_EQ(p.bowSmear, 32);
    EXPECT_EQ(p.flareRadius, 33);
    EXPECT_EQ(p.spikeVector.x, -0.70f);
    EXPECT_EQ(p.spikeVector.y, 0.70f);
    EXPECT_EQ(p.spikeVector.z, 0.0f);
    EXPECT_EQ(p.flareVector.x, 0.0f);
    EXPECT_EQ(p.flareVector.y, 0.0f);
    EXPECT_EQ(p.flareVector.z, 0.0f);
    EXPECT_STREQ(p.presetName, "random settings");

    EXPECT_EQ(p.blendMode, before.blendMode);
    EXPECT_EQ(p.sunCenterX, before.sunCenterX);
    EXPECT_EQ(p.sunCenterY, before.sunCenterY);
    EXPECT_EQ(p.previewScale, before.previewScale);
    EXPECT_EQ(p.previewOriginH, before.previewOriginH);
    EXPECT_EQ(p.autoPreview, before.autoPreview);
    EXPECT_STREQ(p.presetFolder, "somewhere");

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
        ASSERT_NE(p.lightingMode, 2);
        ASSERT_EQ(p.flareDetail, 25);
        ASSERT_GE(p.flareBrightness, 50);
        ASSERT_LE(p.flareCount, 20);
        ASSERT_GE(p.masterBrightness, 25);
        ASSERT_LE(p.masterBrightness, 37);
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

    // On a session record, from the runtime generator.
    char* master = reinterpret_cast<char*>(&p);
    FilterRecord record;
    std::memset(&record, 0, sizeof record);
    record.parameters = &master;
    FilterSession session;
    std::memset(&session, 0, sizeof session);
    session.filterRecord = &record;
    std::srand(7);
    int expected = std::rand() & 2047;
    std::srand(7);
    newSeed(session);
    EXPECT_EQ(p.seed, expected);
    randomizeSettings(session);
    EXPECT_STREQ(p.presetName, "random settings");
}

}  // namespace
}  // namespace rx
