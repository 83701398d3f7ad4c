#include "render/wavelength_tables.h"

#include "render/exact_math.h"

namespace rx {

namespace {

constexpr int kChannels = 3;

int32_t topByte(uint16_t channel) { return channel >> 8; }

}  // namespace

LinearRgb chromaticityToRgb(float xf, float yf, float zf) {
    const double x = xf, y = yf, z = zf;
    const double zr = 1 - (0.64 + 0.33);
    const double zg = 1 - (0.29 + 0.60);
    const double zb = 0.79;
    // Cramer's rule against the primaries' matrix (determinant 0.2268), term order as
    // derived, so the rounding is fixed.
    const double r =
        (0.6 * zb * x - 0.29 * zb * y - 0.06 * zg * x + 0.15 * zg * y + 0.0174 * z - 0.09 * z) /
        0.2268;
    const double g =
        (0.64 * zb * y - 0.33 * zb * x - 0.0384 * z + 0.0495 * z + 0.06 * zr * x - 0.15 * zr * y) /
        0.2268;
    const double b =
        (0.384 * z - 0.0957 * z - 0.64 * zg * y + 0.33 * zg * x + 0.29 * zr * y - 0.6 * zr * x) /
        0.2268;
    LinearRgb out{static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)};
    if (out.r < 0) out.r = 0;
    if (out.g < 0) out.g = 0;
    if (out.b < 0) out.b = 0;
    return out;
}

void shapeSpectrum(SunTables& work, SpectrumShaping shaping) {
    const float scale = 185.78f;
    for (int i = 0; i < kLocusEntries; ++i) {
        const int lambda = 380 + 5 * i;
        const float x = cieLocusX[i];
        const float y = cieLocusY[i];
        const float z = 1.0f - (x + y);
        const LinearRgb c = chromaticityToRgb(x, y, z);
        float weight = 1.0f, eR = 0.1f, eG = 0.1f, eB = 0.3f;
        if (shaping == SpectrumShaping::Ring) {
            // The bow fades toward both ends of the spectrum and keeps more red at the
            // violet end.
            if (lambda > 600)
                weight = static_cast<float>(780 - lambda) / 180.0f;
            else if (lambda < 440)
                weight = static_cast<float>(lambda - 380) / 60.0f;
            eR = lambda < 500 ? static_cast<float>(500 - lambda) / 120.0f * 0.2f + 0.1f : 0.1f;
            eG = 0.02f;
            eB = 0.3f;
        }
        const double w = static_cast<double>(weight) * static_cast<double>(scale);
        work.spectrumBase[0][i] = static_cast<int32_t>(xm::pow(c.r, eR) * w);
        work.spectrumBase[1][i] = static_cast<int32_t>(xm::pow(c.g, eG) * w);
        work.spectrumBase[2][i] = static_cast<int32_t>(xm::pow(c.b, eB) * w);
    }
}

void spectrumSample(const SunTables& work, int32_t w, int32_t& r, int32_t& g, int32_t& b) {
    const int32_t v = w - 3800;
    const int32_t q = v / 50;
    const int32_t rem = v - 50 * q;  // takes the sign of v: 375.1..379.9 nm extrapolate
    if (q < 0 || q > 80) return;
    const int32_t q2 = q + 1 < 80 ? q + 1 : 80;
    int32_t* sums[kChannels] = {&r, &g, &b};
    for (int c = 0; c < kChannels; ++c) {
        const int32_t* base = work.spectrumBase[c];
        *sums[c] += (base[q] * (50 - rem) + base[q2] * rem) / 50;
    }
}

void buildSpikeRamp(SunTables& work, const SunParameters& p) {
    shapeSpectrum(work, SpectrumShaping::Spike);
    // Fade 380..405 nm and 730..780 nm to 0 at the ends.
    for (int c = 0; c < kChannels; ++c) {
        int32_t* base = work.spectrumBase[c];
        for (int i = 0; i <= 5; ++i) base[i] = (base[i] * i) / 5;
        for (int i = 0; i <= 10; ++i) base[80 - i] = (base[80 - i] * i) / 10;
    }
    const int32_t d = p.spikeDiffraction;
    const int32_t tint[kChannels] = {topByte(p.spikeColor.red), topByte(p.spikeColor.green),
                                     topByte(p.spikeColor.blue)};
    for (int j = 0; j < kSpikeRampEntries; ++j) {
        // Position j of diffraction order k shows the wavelength 20 j / k nm.
        int32_t sum[kChannels] = {0, 0, 0};
        for (int k = 1; k <= 17; ++k) spectrumSample(work, (200 * j) / k, sum[0], sum[1], sum[2]);
        for (int c = 0; c < kChannels; ++c) {
            int32_t v = (sum[c] * d + (100 - d) * 255) / 100;
            v = (v * tint[c]) >> 8;
            work.spikeRamp[c][j] = static_cast<int16_t>((v * p.spikeBrightness) / 100);
        }
    }
}

void buildRingBase(SunTables& work, const SunParameters& p) {
    shapeSpectrum(work, SpectrumShaping::Ring);
    const int32_t tint[kChannels] = {p.sunColor.red >> 9, p.sunColor.green >> 9,
                                     p.sunColor.blue >> 9};
    for (int c = 0; c < kChannels; ++c) {
        int32_t* base = work.spectrumBase[c];
        int32_t* avg = work.spectrumScratch[c];
        // Mean of the twelve entries before each one (missing entries count as 0): the
        // profile moves toward the red end and fills 93 entries.
        for (int i = 0; i < kSpectrumEntries; ++i) {
            int32_t sum = 0;
            for (int m = i - 12; m <= i - 1; ++m)
                if (m >= 0 && m < kLocusEntries) sum += base[m];
            avg[i] = sum / 12;
        }
        for (int i = 0; i < kSpectrumEntries; ++i) {
            int32_t v = (avg[i] * tint[c]) >> 8;
            v = (v * p.bowBrightness) >> 6;
            if (c == 1) v = (v * 222) >> 8;
            if (c == 2) v = (v * 275) >> 8;
            base[i] = v;
        }
        if (p.bowInvert != 0) {
            for (int i = 0; i <= 46; ++i) {
                const int32_t t = base[i];
                base[i] = base[92 - i];
                base[92 - i] = t;
            }
        }
    }
}

void fillRingRamp(SunTables& work, const SunParameters& p) {
    for (int c = 0; c < kChannels; ++c) {
        int16_t* ramp = work.ringRamp[c];
        const int32_t* base = work.spectrumBase[c];
        for (int i = 0; i < kRingRampEntries; ++i) ramp[i] = 0;
        for (int k = 0; k < kSpectrumEntries; ++k) ramp[k] = static_cast<int16_t>(base[k]);
    }
    if (p.bowSmear == 0) return;
    // Triangular blur of width sw centred sw/2 + 1 entries before the entry written, so the
    // smeared bow widens and moves outward. Weights of positions outside the profile count
    // in the sum and fade its ends.
    const int32_t sw = (108 * p.bowSmear) / 100;
    const int32_t sh = sw / 2;
    for (int i = 0; i < kRingRampEntries - 1; ++i) {
        const int32_t ctr = (2 * i - sw) / 2;
        int32_t weightSum = 0;
        int32_t sum[kChannels] = {0, 0, 0};
        for (int32_t m = i - sw; m <= i; ++m) {
            const int32_t dist = ctr - m < 0 ? m - ctr : ctr - m;
            const int32_t t = sh - dist > 0 ? sh - dist : 0;
            weightSum += t;
            if (m >= 0 && m < kSpectrumEntries)
                for (int c = 0; c < kChannels; ++c) sum[c] += t * work.spectrumBase[c][m];
        }
        // A smear of width 1 has only zero weights: that entry keeps its unsmeared copy.
        if (weightSum == 0) continue;
        for (int c = 0; c < kChannels; ++c)
            work.ringRamp[c][i + 1] = static_cast<int16_t>(sum[c] / weightSum);
    }
}

}  // namespace rx
