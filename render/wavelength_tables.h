// Spectral colour tables: the colours of pure spectral light (380..780 nm in 5 nm steps)
// shaped into the spike fringe ramp (spikeRamp, seventeen diffraction orders) and the bow
// ramp (ringRamp).
#pragma once

#include <cstdint>

#include "host/types/sun_parameters.h"
#include "render/sun_tables.h"

namespace rx {

constexpr int kLocusEntries = 81;  // 380..780 nm
constexpr int kSpikeRampEntries = 600;
constexpr int kRingRampEntries = 201;

// CIE 1931 2-degree chromaticity of the spectral locus, generated from
// data/cie1931-xy-5nm.csv at build time.
extern const float cieLocusX[kLocusEntries];
extern const float cieLocusY[kLocusEntries];

struct LinearRgb {
    float r, g, b;
};

// Linear RGB of a chromaticity for the primaries (0.64, 0.33), (0.29, 0.60), (0.15, 0.06),
// negative components set to 0; no white-point scaling.
LinearRgb chromaticityToRgb(float x, float y, float z);

enum class SpectrumShaping { Spike, Ring };

// Fills spectrumBase entries 0..80 with the shaped colour of each wavelength.
void shapeSpectrum(SunTables& work, SpectrumShaping shaping);

// Adds the spectrumBase colour at wavelength w (tenths of a nanometre), interpolated between
// the 5 nm entries, to r, g and b. Wavelengths outside 375.1..784.9 nm add nothing.
void spectrumSample(const SunTables& work, int32_t w, int32_t& r, int32_t& g, int32_t& b);

// spikeRamp from the spike shaping (overwrites spectrumBase).
void buildSpikeRamp(SunTables& work, const SunParameters& p);
// spectrumBase as the 93-entry bow profile (overwrites the spike shaping).
void buildRingBase(SunTables& work, const SunParameters& p);
// ringRamp from the bow profile in spectrumBase, smeared by bowSmear.
void fillRingRamp(SunTables& work, const SunParameters& p);

}  // namespace rx
