// Spectral colour tables: sampling the spectrum and the bow's ringRamp. (The shaped spectra and
// the spike ramp are pinned by the golden images and the cross-build table dumps.)
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "render/wavelength_tables.h"
#include "tests/composite_rig.h"

namespace {

using rx::testing::RenderRig;

TEST(Spectrum, SampleInterpolatesAndStopsAtTheEnds) {
    std::unique_ptr<rx::SunTables> work(new rx::SunTables{});
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

TEST(RingRamp, SmearOfOneAndBlackSun) {
    RenderRig rig;
    rig.p().bowSmear = 0;
    rig.p().bowInvert = 0;
    rig.p().bowBrightness = 100;
    rx::buildRingBase(rig.t(), rig.p());
    int32_t base[3][93];
    std::memcpy(base, rig.t().spectrumBase, sizeof base);
    // bowSmear 0, and 1 (only zero weights): entries 0..92 copied, 93..200 zero.
    for (int32_t smear : {0, 1}) {
        rig.p().bowSmear = smear;
        rx::fillRingRamp(rig.t(), rig.p());
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 201; ++i)
                ASSERT_EQ(rig.t().ringRamp[c][i], i < 93 ? base[c][i] : 0) << smear << " " << i;
    }

    // A black sun colour empties the bow whatever the other settings.
    rig.p().sunColor = rx::RGB16{0, 0, 0};
    rig.p().bowSmear = 37;
    rig.p().bowInvert = 1;
    rx::buildRingBase(rig.t(), rig.p());
    rx::fillRingRamp(rig.t(), rig.p());
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 201; ++i) ASSERT_EQ(rig.t().ringRamp[c][i], 0);
}

}  // namespace
