// Dice and Ecce: the order and ranges of the draws on a scripted generator, and the
// shares of the rarer outcomes on the runtime generator.
#include "settings/random_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "host/default_record.h"
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
    p.sunCenterY = 45;
    p.previewScale = 4;
    p.previewOriginH = 9;
    p.autoPreview = 0;
    p.flareVector = Vector3f{0.3f, 0.4f, 0.5f};
    std::strcpy(p.presetFolder, "somewhere");
    SunParameters before = p;

    randomizeSettings(p, s.draw());
    EXPECT_EQ(s.next, s.values.size());

    const struct {
        const char* name;
        int32_t value;
    } draws[] = {{"spikeBrightness", 1},   {"spikeWidth", 2},       {"spikeRadius", 3},
                 {"spikeCount", 4},        {"sunRadius", 5},        {"sunColdHot", 6},
                 {"sunSmear", 7},          {"swirlSize", 13},       {"swirlCount", 9},
                 {"sunDetail", 40},        {"spikeGamma", 11},      {"vortices", 1},
                 {"monopoles", 0},         {"haloRadius", 15},      {"haloBrightness", 46},
                 {"bowRadius", 17},        {"bowWidth", 18},        {"masterBrightness", 37},
                 {"flareDetail", 25},      {"flareBrightness", 71}, {"bowInvert", 1},
                 {"bowBrightness", 23},    {"flareWidth", 24},      {"flareCount", 19},
                 {"spikeDiffraction", 26}, {"spikeDetail", 27},     {"seed", 0x7F5},
                 {"lightingMode", 3},      {"bowSmear", 32},        {"flareRadius", 33}};
    for (const auto& d : draws) EXPECT_EQ(*settingInt(p, *findSetting(d.name)), d.value) << d.name;
    // Colours take the low byte of a draw; the spike colour is kept (the copy draw was not
    // above 20).
    const RGB16 sun{0x1100, 0x2200, 0x3300}, flare{0x4400, 0x5500, 0x6600},
        halo{0x7700, 0x8800, 0x9900}, spike{0xA100, 0xB200, 0xC300}, extra{0xD400, 0xE500, 0xF600};
    EXPECT_EQ(std::memcmp(&p.sunColor, &sun, sizeof sun), 0);
    EXPECT_EQ(std::memcmp(&p.flareColor, &flare, sizeof flare), 0);
    EXPECT_EQ(std::memcmp(&p.haloColor, &halo, sizeof halo), 0);
    EXPECT_EQ(std::memcmp(&p.haloColor2, &halo, sizeof halo), 0);
    EXPECT_EQ(std::memcmp(&p.spikeColor, &spike, sizeof spike), 0);
    EXPECT_EQ(std::memcmp(&p.extraColor, &extra, sizeof extra), 0);
    const Vector3f spikeVector{-0.70f, 0.70f, 0.0f}, zero{0, 0, 0};
    EXPECT_EQ(std::memcmp(&p.spikeVector, &spikeVector, sizeof spikeVector), 0);
    EXPECT_EQ(std::memcmp(&p.flareVector, &zero, sizeof zero), 0);
    EXPECT_STREQ(p.presetName, "random settings");

    const int64_t kept[] = {p.blendMode,    p.sunCenterX,     p.sunCenterY,
                            p.previewScale, p.previewOriginH, p.autoPreview},
                  was[] = {before.blendMode,    before.sunCenterX,     before.sunCenterY,
                           before.previewScale, before.previewOriginH, before.autoPreview};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(kept[i], was[i]) << i;
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
