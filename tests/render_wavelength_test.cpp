// Spectral colour tables: the shaped spectrum, spikeRamp and the bow's ringRamp.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "render/wavelength_tables.h"
#include "tests/render_rig.h"

namespace {

using rx::testing::RenderRig;

TEST(Spectrum, ChromaticityToRgbOfThePrimariesAndWhite) {
    // A primary's own chromaticity gives that channel alone (up to rounding).
    const rx::LinearRgb red = rx::chromaticityToRgb(0.64f, 0.33f, 0.03f);
    const rx::LinearRgb blue = rx::chromaticityToRgb(0.15f, 0.06f, 0.79f);
    for (float v : {red.r - 1, red.g, red.b, blue.r, blue.g, blue.b - 1})
        EXPECT_NEAR(v, 0.0f, 1e-6);
    // Out-of-gamut spectral green has negative red and blue, which become 0.
    const rx::LinearRgb green520 =
        rx::chromaticityToRgb(0.0743f, 0.8338f, 1.0f - (0.0743f + 0.8338f));
    EXPECT_EQ(green520.r, 0.0f);
    EXPECT_EQ(green520.b, 0.0f);
    EXPECT_GT(green520.g, 1.0f);
}

TEST(Spectrum, SpikeAndRingShaping) {
    std::unique_ptr<rx::WorkBuffer> work(new rx::WorkBuffer());
    std::memset(work.get(), 0, sizeof(rx::WorkBuffer));
    rx::shapeSpectrum(*work, rx::SpectrumShaping::Spike);
    const struct {
        int nm, r, g, b;
    } rows[] = {{380, 146, 0, 188},
                {500, 0, 189, 144},
                {550, 0, 188, 0},
                {600, 184, 148, 0},
                {700, 190, 0, 0}};
    for (const auto& row : rows) {
        const int i = (row.nm - 380) / 5;
        EXPECT_EQ(work->spectrumBase[0][i], row.r) << row.nm;
        EXPECT_EQ(work->spectrumBase[1][i], row.g) << row.nm;
        EXPECT_EQ(work->spectrumBase[2][i], row.b) << row.nm;
    }
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 81; ++i) {
            ASSERT_GE(work->spectrumBase[c][i], 0);
            ASSERT_LE(work->spectrumBase[c][i], 196);
        }
    rx::shapeSpectrum(*work, rx::SpectrumShaping::Ring);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(work->spectrumBase[c][0], 0);   // weight 0 at 380 nm
        EXPECT_EQ(work->spectrumBase[c][80], 0);  // and at 780 nm
        for (int i = 0; i < 81; ++i) ASSERT_LE(work->spectrumBase[c][i], 188);
    }
}

TEST(Spectrum, SampleInterpolatesAndStopsAtTheEnds) {
    std::unique_ptr<rx::WorkBuffer> work(new rx::WorkBuffer());
    std::memset(work.get(), 0, sizeof(rx::WorkBuffer));
    for (int i = 0; i < 81; ++i) {
        work->spectrumBase[0][i] = 100 + i;
        work->spectrumBase[1][i] = 10 * i;
        work->spectrumBase[2][i] = 7;
    }
    const auto sample = [&](int32_t w) {
        int32_t r = 0, g = 0, b = 0;
        rx::spectrumSample(*work, w, r, g, b);
        return std::array<int32_t, 3>{r, g, b};
    };
    // 375.1..379.9 nm extrapolate from entries 0 and 1 with a negative remainder.
    const struct {
        int32_t w;
        std::array<int32_t, 3> rgb;
    } rows[] = {{3800, {100, 0, 7}}, {3825, {100, 5, 7}}, {5010, {124, 242, 7}},
                {3775, {99, -5, 7}}, {3750, {0, 0, 0}},   {7849, {180, 800, 7}},
                {7850, {0, 0, 0}},   {-100000, {0, 0, 0}}};
    for (const auto& r : rows) EXPECT_EQ(sample(r.w), r.rgb) << r.w;
}

TEST(SpikeRamp, DiffractionBrightnessAndTint) {
    RenderRig rig;
    rig.p().spikeBrightness = 100;
    rig.p().spikeDiffraction = 100;
    rig.p().spikeColor = rx::RGB16{0xFFFF, 0xFFFF, 0xFFFF};
    rx::buildSpikeRamp(rig.w(), rig.p());
    // Position 0 samples w = 0 for every order: nothing.
    for (int c = 0; c < 3; ++c) EXPECT_EQ(rig.w().spikeRamp[c][0], 0);
    // Position j of order 1 shows 20 j nm: at j = 30 (600 nm) red leads, and the
    // sums stay below 17 orders of 196.
    EXPECT_GT(rig.w().spikeRamp[0][30], rig.w().spikeRamp[2][30]);
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < 600; ++j) ASSERT_LE(rig.w().spikeRamp[c][j], 17 * 196);

    // Diffraction 0: white tinted by the colour and scaled by the brightness, uniform.
    rig.p().spikeDiffraction = 0;
    rig.p().spikeBrightness = 37;
    rig.p().spikeColor = rx::RGB16{0xC000, 0x8000, 0x1000};
    rx::buildSpikeRamp(rig.w(), rig.p());
    const int top[3] = {0xC0, 0x80, 0x10};
    for (int c = 0; c < 3; ++c)
        for (int j = 0; j < 600; ++j)
            ASSERT_EQ(rig.w().spikeRamp[c][j], ((255 * top[c]) >> 8) * 37 / 100);
}

TEST(RingRamp, InvertSmearAndBlackSun) {
    RenderRig rig;
    rig.p().bowSmear = 0;
    rig.p().bowInvert = 0;
    rig.p().bowBrightness = 100;
    rx::buildRingBase(rig.w(), rig.p());
    int32_t base[3][93];
    std::memcpy(base, rig.w().spectrumBase, sizeof base);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(base[c][0], 0);   // an empty average
        EXPECT_EQ(base[c][92], 0);  // only 780 nm, whose weight is 0
    }
    // The default sun colour (red, amber) leaves red and green in the bow.
    int32_t peak[3] = {0, 0, 0};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 93; ++i) peak[c] = std::max(peak[c], base[c][i]);
    EXPECT_GT(peak[0], 0);
    EXPECT_GT(peak[1], 0);

    // bowInvert: entry i becomes the former entry 92 - i.
    rig.p().bowInvert = 1;
    rx::buildRingBase(rig.w(), rig.p());
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 93; ++i) ASSERT_EQ(rig.w().spectrumBase[c][i], base[c][92 - i]);

    // bowSmear 0, and 1 (only zero weights): entries 0..92 copied, 93..200 zero.
    rig.p().bowInvert = 0;
    rx::buildRingBase(rig.w(), rig.p());
    for (int32_t smear : {0, 1}) {
        rig.p().bowSmear = smear;
        rx::fillRingRamp(rig.w(), rig.p());
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 201; ++i)
                ASSERT_EQ(rig.w().ringRamp[c][i], i < 93 ? base[c][i] : 0) << smear << " " << i;
    }

    // bowSmear 100 (sw 108, sh 54): entry 0 keeps its copy, the profile spreads outward
    // past entry 92 and its total shrinks (outside weights count).
    rig.p().bowSmear = 100;
    rx::fillRingRamp(rig.w(), rig.p());
    for (int c = 0; c < 3; ++c) EXPECT_EQ(rig.w().ringRamp[c][0], base[c][0]);
    EXPECT_GT(rig.w().ringRamp[0][150], 0);
    long before = 0, after = 0;
    int peakBefore = 0, peakAfter = 0;
    for (int i = 0; i < 201; ++i) {
        if (i < 93) before += base[0][i];
        after += rig.w().ringRamp[0][i];
        if (i < 93 && base[0][i] > base[0][peakBefore]) peakBefore = i;
        if (rig.w().ringRamp[0][i] > rig.w().ringRamp[0][peakAfter]) peakAfter = i;
    }
    EXPECT_GT(peakAfter, peakBefore);
    EXPECT_LT(after, before * 2);

    // A black sun colour empties the bow whatever the other settings.
    rig.p().sunColor = rx::RGB16{0, 0, 0};
    rig.p().bowSmear = 37;
    rig.p().bowInvert = 1;
    rx::buildRingBase(rig.w(), rig.p());
    rx::fillRingRamp(rig.w(), rig.p());
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 201; ++i) ASSERT_EQ(rig.w().ringRamp[c][i], 0);
}

}  // namespace
