// The fast row compositor against the plain reference, byte for byte, on random settings,
// images, centres, previews and masks, and on tables pushed beyond what the sliders give.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "composite_rig.h"
#include "host/default_record.h"
#include "host/types/setting_table.h"
#include "render/sun_tables.h"

namespace rx {
namespace {

struct Dice {
    std::mt19937 engine;
    int32_t below(int32_t n) { return int32_t(engine() % uint32_t(n)); }
    int32_t between(int32_t lo, int32_t hi) { return lo + below(hi - lo + 1); }
    bool chance(int32_t percent) { return below(100) < percent; }
    float unit() { return float(engine() % 2001) / 1000.0f - 1.0f; }  // -1..1
    uint32_t bits() { return engine(); }
};

// One image, its settings and render tables, composited by either path.
struct Scene : testing::CompositeRig {
    Scene() : CompositeRig(1, 1, 1) {}
    std::vector<uint8_t> outStart, maskBytes;

    std::vector<uint8_t> render(RowCompositor composite) {
        out = outStart;
        all(composite);
        return out;
    }
};

void randomSettings(Dice& dice, SunParameters& p) {
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    for (size_t i = 0; i < count; ++i) {
        const SettingInfo& s = table[i];
        if (s.kind == SettingKind::Colour) {
            const auto c = [&] { return uint16_t(dice.bits()); };
            *settingColour(p, s) = RGB16{c(), c(), c()};  // braces evaluate left to right
        } else if (s.kind == SettingKind::Vector) {
            *settingVector(p, s) = Vector3f{dice.unit(), dice.unit(), 0.0f};
        } else {
            int32_t v = dice.between(s.minValue, s.maxValue);
            if (dice.chance(15)) v = dice.chance(50) ? s.minValue : s.maxValue;
            *settingInt(p, s) = v;
        }
    }
    // Modes outside the lists act as the first one.
    if (dice.chance(5)) p.blendMode = dice.between(-3, 20);
    if (dice.chance(5)) p.lightingMode = dice.between(-3, 9);
    // Keep most cores small enough that many pixels lie outside them.
    if (dice.chance(70)) p.sunRadius = dice.below(30);
    if (dice.chance(50)) p.swirlCount = dice.below(12);
}

void buildScene(Dice& dice, Scene& sc) {
    SunParameters& p = sc.p();
    ApplyDefaults(p);
    randomSettings(dice, p);

    const int shape = dice.below(4);
    sc.width = shape == 0 ? dice.between(1, 4) : dice.between(1, shape == 3 ? 700 : 90);
    sc.height = shape == 3 ? dice.between(1, 3) : dice.between(1, 24);
    const int planeKind = dice.below(3);
    sc.planes = planeKind == 0 ? 1 : (planeKind == 1 ? 3 : 4);
    const bool preview = dice.chance(40);
    const int32_t scale = preview ? (dice.chance(30) ? 1 : dice.between(2, 12)) : 1;

    // Centre: near or inside the image most of the time, sometimes far out or extreme.
    const int where = dice.below(10);
    int32_t &cx = p.sunCenterX, &cy = p.sunCenterY;
    if (where < 6) {
        cx = dice.between(-sc.width, 2 * sc.width) * scale;
        cy = dice.between(-sc.height - 40, sc.height + 40) * scale;
    } else if (where < 9) {
        cx = dice.between(-3000, 3000);
        cy = dice.between(-3000, 3000);
    } else {
        cx = dice.chance(50) ? int32_t(dice.bits()) : dice.between(-70000, 70000);
        cy = dice.chance(50) ? int32_t(dice.bits()) : dice.between(-70000, 70000);
    }
    p.previewScale = scale;
    p.previewRendering = preview ? 1 : 0;
    p.previewOriginH = preview ? dice.between(0, 400) : 0;
    p.previewOriginV = preview ? dice.between(0, 400) : 0;

    sc.lens.assign(size_t(std::max(sc.width, sc.height) + 4 + 3 * sc.width + 2184), 0);
    sc.t().lensTable = sc.lens.data();
    sc.t().lensCapacity = int32_t(sc.lens.size());
    sc.lastRow = sc.height - 1 - (dice.chance(20) ? dice.below(3) : 0);
    sc.lastColumn = sc.width - 1 - (dice.chance(20) ? dice.below(5) : 0);
    sc.prepare();

    // Tables beyond anything the set-up makes: huge spike coefficients wrap around in 32
    // bits within a row, odd profiles and radii of the lens table.
    if (dice.chance(15)) {
        for (int k = 0; k < 255; ++k) {
            if (!dice.chance(30)) continue;
            SpikeLines& s = sc.t().spikeLines;
            int32_t* coefficient[4] = {&s.a[k], &s.b[k], &s.c[k], &s.e[k]};
            *coefficient[dice.below(4)] =
                dice.chance(50) ? int32_t(dice.bits()) : dice.between(-300000, 300000);
        }
        if (dice.chance(30))
            for (int16_t& w : sc.t().spikeProfile) w = int16_t(dice.bits());
    }

    const auto randomBytes = [&](std::vector<uint8_t>& v, size_t n) {
        v.resize(n);
        for (uint8_t& b : v) b = uint8_t(dice.bits());
    };
    randomBytes(sc.in, size_t(sc.width) * sc.height * sc.planes);
    randomBytes(sc.outStart, sc.in.size());
    sc.haveMask = preview && dice.chance(50);
    sc.mask = nullptr;
    if (sc.haveMask) {
        randomBytes(sc.maskBytes, size_t(sc.width) * sc.height);
        if (dice.chance(90)) sc.mask = sc.maskBytes.data();
    }
}

TEST(CompositeFast, RandomScenesMatchTheReferenceByteForByte) {
    Dice dice{std::mt19937(20240611)};
    for (int i = 0; i < 400; ++i) {
        Scene sc;
        buildScene(dice, sc);
        ASSERT_EQ(sc.render(&compositeRowReference), sc.render(&compositeRow))
            << "case " << i << ": " << sc.width << " x " << sc.height << " x " << sc.planes
            << ", scale " << sc.p().previewScale << ", centre " << sc.p().sunCenterX << ","
            << sc.p().sunCenterY << ", blend " << sc.p().blendMode;
    }
}

// A final render of a fixed size at full scale, on the default settings with `adjust` applied.
template <typename F>
void fixedScene(Scene& sc, int32_t w, int32_t h, int32_t planes, F adjust) {
    ApplyDefaults(sc.p());
    sc.p().sunRadius = 0;
    adjust(sc.p());
    sc.width = w, sc.height = h, sc.planes = planes, sc.lastRow = h - 1, sc.lastColumn = w - 1;
    sc.prepare();
    sc.in.assign(size_t(w) * h * planes, 90);
    sc.outStart.assign(sc.in.size(), 0);
}

TEST(CompositeFast, SpikesAlongTheRowAndThroughItsEndsMatchTheReference) {
    // Hand-placed spikes: one lying along the row (b = 0), one crossing exactly at the
    // row's first and last columns, one whose band is one pixel wide, one whose across
    // value reaches the 32-bit limit inside the row.
    Scene sc;
    fixedScene(sc, 81, 7, 3, [](SunParameters& p) {
        p.sunCenterX = 40;
        p.sunCenterY = 3;
        p.spikeCount = 4;
    });
    for (int16_t& w : sc.t().spikeProfile) w = 200;
    const int32_t lines[4][4] = {{100, 0, 0, 800},       // along the row
                                 {0, 7, 0, 1},           // |7 dx| <= 300: dx -42..42
                                 {0, 301, 50, 0},        // one column: dx = 0
                                 {0, 107374182, 0, 0}};  // 40 b wraps to -16
    SpikeLines& s = sc.t().spikeLines;
    for (int k = 0; k < 4; ++k)
        s.a[k] = lines[k][0], s.b[k] = lines[k][1], s.c[k] = lines[k][2], s.e[k] = lines[k][3];
    EXPECT_EQ(sc.render(&compositeRowReference), sc.render(&compositeRow));
}

TEST(CompositeFast, TheBowInsideTheCoreMatchesTheReferenceAtEveryDistance) {
    // A core filling the image with the bow inside it: the interior's table paths (core
    // colours by index, the bow by distance) meet every distance of the bow.
    int bowsInside = 0;
    for (int32_t bowRadius : {0, 15, 30, 60})
        for (int32_t planes : {1, 3}) {
            Scene sc;
            fixedScene(sc, 121, 121, planes, [&](SunParameters& p) {
                p.sunRadius = 100;
                p.bowRadius = bowRadius;
                p.sunCenterX = 60;
                p.sunCenterY = 60;
            });
            for (size_t i = 0; i < sc.in.size(); ++i) sc.in[i] = uint8_t(i * 7);
            CompositeTables t;
            buildCompositeTables(sc.p(), sc.t(), t);
            bowsInside += !t.bowColours.empty() && !t.coreColours.empty();
            EXPECT_EQ(sc.render(&compositeRowReference), sc.render(&compositeRow))
                << "bowRadius " << bowRadius << ", planes " << planes;
        }
    EXPECT_GT(bowsInside, 4);
}

TEST(CompositeFast, PixelsJustInsideTheOuterRadiusAreComposited) {
    // sunRadius 6 and haloRadius 11 put the halo's outer edge at 4 · 17 quarter pixels,
    // and 12² + 12² = 17² - 1: the pixels at offsets (±12, ±12) lie a sixteenth of a
    // quarter pixel squared inside it (d = 67) and must get the halo.
    Scene sc;
    fixedScene(sc, 81, 25, 1, [](SunParameters& p) {
        p.sunCenterX = 40;
        p.sunCenterY = 12;
        p.sunRadius = 6;
        p.haloRadius = 11;
        p.bowRadius = p.bowWidth = p.flareRadius = p.spikeCount = 0;
        p.blendMode = 1;
        p.masterBrightness = 25;
    });
    for (int z = 0; z < 3; ++z)
        for (int32_t& v : sc.t().haloRamp[z]) v = 200;
    const std::vector<uint8_t> reference = sc.render(&compositeRowReference);
    EXPECT_EQ(reference, sc.render(&compositeRow));
    EXPECT_EQ(reference[28], 200);  // row 0, offset (12, 12)
    EXPECT_EQ(reference[27], 0);    // offset (13, 12): outside
}

}  // namespace
}  // namespace rx
