// Render set-up, in the thirteen steps the compositor relies on:
//   1 spectral bases  2 noise  3 halo ramp  4 spike profile  5 flare ramp  6 sun ramp
//   7 ring ramp  8 flare streaks  9 spike lines  10 core surface values  11 cell weights and
//   lens table  12 swirl centres
#include "render/sun_tables.h"

#include "host/types/setting_table.h"
#include "render/exact_math.h"
#include "render/noise.h"
#include "render/wavelength_tables.h"

namespace rx {

namespace {

constexpr double kRadiansPerDegree = 57.29577951308232;  // degrees per radian, really
constexpr float kVectorLimit = 1.0e7f;
constexpr int32_t kMaxPreviewScale = 65535;

// 32-bit products with two's-complement wrap-around, free of signed overflow.
inline int32_t mul32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

inline int32_t topByte(uint16_t channel) { return channel >> 8; }

inline float safeComponent(float v) {
    if (v != v) return 0.0f;
    if (v > kVectorLimit) return kVectorLimit;
    if (v < -kVectorLimit) return -kVectorLimit;
    return v;
}

// Length of (x, y), held in single precision.
float vectorLength(float x, float y) {
    const double dx = safeComponent(x), dy = safeComponent(y);
    return static_cast<float>(xm::sqrt(dx * dx + dy * dy));
}

void buildHaloRamp(const SunParameters& p, SunTables& t) {
    const double g = exponentG(0.16 * (50 - p.haloBrightness));
    const int32_t hr = topByte(p.haloColor.red), hg = topByte(p.haloColor.green),
                  hb = topByte(p.haloColor.blue);
    for (int32_t i = 0; i < 256; ++i) {
        const double w = xm::pow(i * 0.00390625, g);
        // Red follows i, green its square, blue its cube: the halo reddens outward.
        t.haloRamp[0][i] = static_cast<int32_t>(((hr * i) >> 8) * w);
        t.haloRamp[1][i] = static_cast<int32_t>(((hg * ((i * i) >> 8)) >> 8) * w);
        t.haloRamp[2][i] = static_cast<int32_t>(((hb * ((i * i * i) >> 16)) >> 8) * w);
    }
}

void buildSpikeProfile(const SunParameters& p, SunTables& t) {
    const double g = exponentG(0.04 * (p.spikeGamma - 25));
    for (int i = 0; i <= 300; ++i)
        t.spikeProfile[i] = static_cast<int16_t>(xm::pow(i * 0.0033333333333333335, g) * 300);
}

void buildFlareRamp(const SunParameters& p, SunTables& t) {
    const int32_t fr = topByte(p.flareColor.red), fg = topByte(p.flareColor.green),
                  fb = topByte(p.flareColor.blue);
    for (int32_t i = 0; i < 256; ++i) {
        t.flareRamp[0][i] = (fr * i) >> 6;
        t.flareRamp[1][i] = (fg * (((i * i) >> 8) + i)) >> 7;
        t.flareRamp[2][i] = (fb * ((i * i) >> 8)) >> 6;
    }
}

// "Cold/hot": below 50 red bends toward the cube, above 50 blue does; green bends toward the
// square on either side.
void buildSunRamp(const SunParameters& p, SunTables& t) {
    const int32_t s = p.sunColdHot;
    const int32_t kr = p.sunColor.red >> 7, kg = p.sunColor.green >> 7, kb = p.sunColor.blue >> 7;
    const int32_t a = s < 50 ? 50 - s : s - 50;
    for (int32_t i = 0; i < 256; ++i) {
        const int32_t i2 = (i * i) >> 8;
        const int32_t i3 = (i * i * i) >> 16;
        t.sunRamp[0][i] = s < 50 ? ((((i3 * (50 - s) + s * i) / 50) * kr) / 256) : (kr * i) >> 8;
        t.sunRamp[1][i] = (((i2 * a + (50 - a) * i) / 50) * kg) / 256;
        t.sunRamp[2][i] =
            s <= 50 ? (kb * i) >> 8 : ((((i3 * (s - 50) + (100 - s) * i) / 50) * kb) / 256);
    }
}

// Step 8: start angles of the flare streaks in 1/16384 turns.
void buildFlareAngles(const SunParameters& p, SunTables& work) {
    work.flareAngle = vectorAngle(p.flareVector.x, p.flareVector.y);
    work.flareSpread = vectorLength(p.flareVector.x, p.flareVector.y);
    int32_t base = (work.flareAngle * 16384) / 360 - ((p.flareWidth * 4096) / 100) / 2;
    if (base < 0) base += 16384;
    double amp = 1 - 1.1 * work.flareSpread;
    if (amp < 0) amp = 0;
    if (amp > 1) amp = 1;
    for (int32_t m = 0; m <= 100; ++m) {
        // Even streaks along the flare direction, odd ones opposite.
        int32_t v = base;
        if (m & 1) {
            v += 8192;
            if (v > 16384) v -= 16384;
        }
        const int32_t n = work.noiseTable[2 * m];
        const int32_t j = (n & 31) * 256 + n - 4096;
        work.flareAngles[m] = static_cast<int16_t>(static_cast<int32_t>(j * amp + v));
    }
}

// Step 9: per spike k, the across (a, b) and along (c, e) coefficients.
void buildSpikeLines(const SunParameters& p, SunTables& work, int32_t S) {
    work.spikeAngle = vectorAngle(p.spikeVector.x, p.spikeVector.y);
    work.spikeSpread = vectorLength(p.spikeVector.x, p.spikeVector.y);
    double spreadExcess = (work.spikeSpread - 0.25) * 1.3333333333333333;
    if (spreadExcess < 0) spreadExcess = 0;
    double jitter = 1 - 1.1 * spreadExcess;
    if (jitter < 0) jitter = 0;
    if (jitter > 1) jitter = 1;
    const float m = static_cast<float>(jitter);
    const int32_t A = (work.spikeAngle * 512) / 90;  // 1/2048 turns
    // Radians per 1/2048 turn as the original tables were built (not exactly 2 pi / 2048).
    const double kappa = 0.0030679315631683287;
    const double twoPi = 6.283185307;
    SpikeLines& lines = work.spikeLines;
    for (int32_t k = 0; k <= 254; ++k) {
        const int32_t u = 200 + 5 * k;
        const int32_t n = work.noiseTable[u];
        const int32_t j = (n & 3) * 256 + n - 512;
        double theta = A * kappa + j * static_cast<double>(m) * kappa;
        for (int pass = 0; pass < 2; ++pass) {
            if (theta < 0) theta += twoPi;
            if (theta > twoPi) theta -= twoPi;
        }
        theta -= 1.5707963268;
        const int32_t sn = static_cast<int32_t>(255 * xm::sin(theta));
        const int32_t cs = static_cast<int32_t>(255 * xm::cos(theta));
        const int32_t wn = work.noiseTable[u + 2] & 63;
        const int32_t w = 93 - (wn * wn) / 63;
        const int32_t l = (work.noiseTable[u + 4] & 127) + 30;
        const int32_t widthDiv = p.spikeWidth + 1;
        const int32_t radiusDiv = p.spikeRadius + 1;
        lines.a[k] = (mul32(mul32(mul32(S, sn), w), 4) / 100) / widthDiv;
        lines.b[k] = (mul32(mul32(mul32(S, cs), w), 4) / 100) / widthDiv;
        lines.c[k] = (mul32(mul32(mul32(S, cs), l), 30) / 128) / radiusDiv;
        lines.e[k] = (mul32(mul32(mul32(S, sn), l), 30) / 128) / radiusDiv;
    }
}

}  // namespace

double exponentG(double d) { return d >= 0 ? 1 + d : 1 / (1 - d); }

int32_t flareNoiseStep(int32_t flareDetail) {
    return static_cast<int32_t>(256.0 * xm::pow(2.0, 3.0 - 0.05 * flareDetail));  // truncated
}

int32_t vectorAngle(float x, float y) {
    // Quantise to 1/33 and keep 16 bits, as the angle was always taken from 16-bit values.
    const auto quantise = [](float v) {
        const int32_t q = static_cast<int32_t>(33.0 * static_cast<double>(safeComponent(v)));
        return static_cast<int32_t>(static_cast<int16_t>(static_cast<uint16_t>(q)));
    };
    const int32_t qx = quantise(x), qy = quantise(y);
    const int32_t h = 66 * qx;
    const int32_t v = -66 * qy;
    int32_t a;
    if (v == 0) {
        a = h == 0 ? 0 : (h > 0 ? 90 : 270);
    } else {
        const double r = static_cast<double>(h) / static_cast<double>(v);
        if (v > 0)
            a = static_cast<int32_t>(xm::atan(r) * kRadiansPerDegree);
        else
            a = static_cast<int32_t>(xm::atan(r) * kRadiansPerDegree + 180);
        if (a < 0) a += 360;
    }
    return (a + 270) % 360;
}

void prepareSunTables(const SunParameters& settings, int32_t scale, SunTables& tables) {
    SunParameters p = settings;
    clampSettings(p);
    SunTables& work = tables;
    work.scale = scale;
    // The scale is not a user setting: a scale below 1 renders at full size, and a limit
    // far above any real reduction keeps the texture scale within 32 bits.
    const int32_t S = scale < 1 ? 1 : (scale > kMaxPreviewScale ? kMaxPreviewScale : scale);

    // 1. Spectral bases; 2. noise.
    buildSpikeRamp(work, p);
    buildRingBase(work, p);
    buildNoiseTable(work.noiseTable, p.seed);
    fillNoisePairs(work.noiseTable, work.noisePairs);

    // 3 to 6. Colour ramps and the spike cross-section.
    buildHaloRamp(p, work);
    buildSpikeProfile(p, work);
    buildFlareRamp(p, work);
    buildSunRamp(p, work);

    // 7. The bow.
    fillRingRamp(work, p);

    // 8, 9. Flare streaks and spike lines.
    buildFlareAngles(p, work);
    buildSpikeLines(p, work, S);

    // 10. Core surface values.
    const int32_t capacity = work.lensTable ? work.lensCapacity : 0;
    int32_t lensLast = sizeOf(p.sunRadius) / S;
    if (lensLast == 0) lensLast = 1;
    work.lensLast = lensLast;
    int32_t rl = lensLast;
    if (rl > capacity - 1) rl = capacity - 1;
    const int32_t D = static_cast<int32_t>(xm::pow(2.0, 4 - (p.sunDetail * 0.03 + 3)) * 100);
    const float t = static_cast<float>(S * (D * 0.01));
    work.swirlReach = p.swirlSize * 32;
    work.swirlForce = p.sunSmear * 4;
    work.smearStep = static_cast<int32_t>(16 * static_cast<double>(t));
    if (work.smearStep == 0) work.smearStep = 1;
    work.surfaceOctaves = 0;
    if (t <= 0.5555555555555556) work.surfaceOctaves = 1;
    if (t <= 0.2857142857142857) work.surfaceOctaves = 2;

    // 11. Cell weights, then the sphere mapping: texture magnification by distance from the
    // centre, asin(j / Rl) scaled to 0..512 and divided by the distance. Entries beyond
    // the buffer are not written (the band setup sizes it above the largest lensLast).
    fillCellWeights(work.cellWeights);
    fillWeightPairs(work.cellWeights, work.cellWeightPairs);
    for (int32_t j = 0; j <= rl; ++j) {
        double x = static_cast<double>(j) / rl;
        const double L = xm::asin(x) * 325.94932345220303;  // 1024 / pi
        if (x == 0) x = 1;
        const int32_t entry = static_cast<int32_t>(L * t * 4 / x);
        work.lensTable[j] = static_cast<int16_t>(static_cast<uint16_t>(entry));
    }

    // 12. Swirl centres, spread over the core.
    const int32_t lensRim = rl >= 0 ? static_cast<int16_t>(work.lensTable[rl]) : 0;
    const int32_t q = mul32(lensRim, (4 * sizeOf(p.sunRadius)) / S) >> 8;
    for (int32_t i = 0; i < 100; ++i) {
        work.swirlCenterH[i] =
            static_cast<int16_t>(mul32((work.noiseTable[400 + 2 * i] & 255) - 128, q) / 128);
        work.swirlCenterV[i] =
            static_cast<int16_t>(mul32((work.noiseTable[401 + 2 * i] & 255) - 128, q) / 128);
    }
}

}  // namespace rx
