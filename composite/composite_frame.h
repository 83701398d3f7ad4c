// The quantities the band compositor derives from the settings once per render: radii in
// quarter pixels of the image being written, flare streak geometry, gains.
#pragma once

#include <cstdint>

#include "host/types/sun_parameters.h"

namespace rx {

struct CompositeFrame {
    int32_t scale;  // S, at least 1
    int32_t Rsun;   // core radius
    int32_t Rhalo;  // outer edge of the halo
    int32_t haloSpan;
    int32_t flareSpan;
    int32_t Rflare;    // outer edge of the flare
    int32_t RflareIn;  // inner edge of the flare
    int32_t Rring;     // inner edge of the bow
    int32_t ringSpan;
    int32_t RringOut;  // outer edge of the bow
    int32_t Rcore;     // outer edge of the antialiased core rim
    int32_t Rfade;     // start of the core's edge fade
    int32_t flareArc;  // angular width of a streak, 16384 per turn
    int32_t flareGain;
    int32_t flareNoiseScale;
    int32_t spikeStep;
    int32_t level;       // master brightness, 25 = unity
    int32_t spikeCount;  // limited to the 255 filled spike slots
    int32_t flareCount;  // limited to the 101 filled streak entries
};

// The quantities for the settings at `scale` image pixels per rendered pixel (below 1: 1).
CompositeFrame deriveFrame(const SunParameters& p, int32_t scale);

}  // namespace rx
