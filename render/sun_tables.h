// Render set-up: turns the settings and the preview scale into the tables the compositor
// reads. All floating-point work of a render happens here.
#pragma once

#include <cstdint>

#include "host/types/sun_parameters.h"

namespace rx {

constexpr int kSpectrumEntries = 93;

struct SpikeLines {
    int32_t a[256];
    int32_t b[256];
    int32_t c[256];
    int32_t e[256];
};

// Everything the render set-up derives from the settings and the scale for one render, and
// the compositor reads. The caller provides the sphere-mapping buffer (lensTable, with room
// for lensCapacity entries); every other table lives here.
struct SunTables {
    int32_t* lensTable;    // set by the caller; only the low signed 16 bits of each entry count
    int32_t lensCapacity;  // set by the caller

    int32_t scale;     // the scale the tables were made for, as given
    int32_t lensLast;  // last sphere-mapping entry the core may read
    int32_t smearStep;
    int32_t swirlReach;
    int32_t swirlForce;
    int32_t surfaceOctaves;
    int32_t spikeAngle;
    int32_t flareAngle;
    float spikeSpread;
    float flareSpread;

    int32_t haloRamp[3][256];
    int32_t flareRamp[3][256];
    int32_t sunRamp[3][256];
    int16_t swirlCenterH[100];
    int16_t swirlCenterV[100];
    int32_t cellWeights[512];
    int16_t noiseTable[2048];
    uint32_t noisePairs[2048];      // noiseTable as surfaceNoise reads it (fillNoisePairs)
    uint32_t cellWeightPairs[512];  // cellWeights as surfaceNoise reads them
    int16_t spikeRamp[3][600];
    int16_t ringRamp[3][201];
    int32_t spectrumBase[3][kSpectrumEntries];
    int32_t spectrumScratch[3][kSpectrumEntries];
    int16_t flareAngles[104];
    SpikeLines spikeLines;
    int16_t spikeProfile[301];
};

// Size function: maps a slider value 0..100 to 1..1001 pixels.
inline int32_t sizeOf(int32_t v) { return (v * v) / 10 + 1; }

// Exponent function: 1 + d for d >= 0, 1 / (1 - d) below, so G(0) = 1 and G(-d) = 1 / G(d).
double exponentG(double d);

// The flare streaks' noise step at preview scale 1: trunc(256 * 2^(3 - flareDetail / 20)),
// 2048 at detail 0 down to 64 at 100, through the exact pow so every build gets the same.
int32_t flareNoiseStep(int32_t flareDetail);

// Direction of (x, y) in whole degrees 0..359, from the positive x axis toward the positive
// y axis. Components are quantised to 1/33; both shorter than 1/33 give 270. Non-finite
// components count as 0 and huge ones are limited to +-1e7.
int32_t vectorAngle(float x, float y);

// Rebuilds every table of `tables` from the settings (taken as clampSettings brings them
// into range) and the scale (image pixels per rendered pixel; below 1 renders at full
// size). The lens table is written as far as the caller's buffer reaches.
void prepareSunTables(const SunParameters& settings, int32_t scale, SunTables& tables);

}  // namespace rx
