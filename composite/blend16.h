// The blend modes on 16-bit samples. The sun's colour is worked out as for 8-bit images
// (0..255 a channel); each mode's rule is then carried out on the full-precision source
// with the sun scaled to the host's 16-bit range: every product of the 8-bit rule that
// is divided by 256 keeps its 8-bit sun factor and takes the 16-bit source value, so a
// 16-bit result reduced to 8 bits is the 8-bit result of the reduced source within one
// step, and a smooth source keeps all its levels.
#pragma once

#include <cstdint>

#include "composite/blend_modes.h"

namespace rx {

// The largest 16-bit sample value hosts use: Photoshop and the hosts that follow it put
// 1.0 at 32768; others use 65535.
constexpr int32_t kRangePhotoshop16 = 32768;
constexpr int32_t kRangeFull16 = 65535;

// An 8-bit value (0..255) on the 16-bit range, rounded.
inline int32_t scaleTo16(int32_t v8, int32_t range) { return (v8 * range + 127) / 255; }
// A 16-bit value (0..range) reduced to 8 bits, rounded.
inline int32_t reduceTo8(int32_t v, int32_t range) { return (v * 255 + range / 2) / range; }

// One channel of the blend of sun value t (0..255; T = scaleTo16(t)) with 16-bit source s
// (0..range; larger values count as range); w is the source weight in quarters.
inline int32_t blendChannel16(int32_t mode, int32_t t, int32_t T, int32_t s, int32_t w,
                              int32_t range, const int16_t* noiseTable) {
    if (s > range) s = range;
    switch (mode) {
        case blendProceduralPlus: {
            const int32_t g = noiseTable[reduceTo8(s, range)];
            return ((255 - g) * s + g * T) >> 8;
        }
        case blendProceduralMinus: {
            const int32_t v = T + ((s * t) >> 8);
            return v < range ? v : range;
        }
        case blendDifference: return ((255 - t) * s + (range - s) * t) >> 8;
        case blendLighten: return s > T ? s : T;
        case blendDarken: return s < T ? s : T;
        case blendAdd: return T + s < range ? T + s : range;
        case blendSubtract: return T - s > 0 ? T - s : 0;
        case blendMultiply: return (s * t) >> 8;
        case blendScreen: return T + (((255 - t) * s) >> 8);
        case blendComposite: {
            const int32_t v = T + ((w * s) >> 2);
            return v < range ? v : range;
        }
        default: return T;
    }
}

// The preview's fade of a 16-bit result towards the light checkerboard, as previewFade.
inline int32_t previewFade16(int32_t r, int32_t m, int32_t x, int32_t y, int32_t range) {
    const int32_t b = ((x ^ y) & 8) != 0 ? scaleTo16(204, range) : range;
    return (m * r + (255 - m) * b) >> 8;
}

}  // namespace rx
