// Per-pixel rules applied after the sun's contributions are summed: the core colour of
// each lighting mode, the two overflow spills, the eleven blend modes and the preview's
// selection fade.
#pragma once

#include <cstdint>

#include "composite/integer_math.h"
#include "composite/ray_samplers.h"

namespace rx {

enum BlendMode : int32_t {
    blendNormal = 1,
    blendProceduralPlus,
    blendProceduralMinus,
    blendDifference,
    blendLighten,
    blendDarken,
    blendAdd,
    blendSubtract,
    blendMultiply,
    blendScreen,
    blendComposite,
};

enum LightingMode : int32_t {
    lightingNormal = 1,
    lightingFlat,
    lightingEclipse,
};

// What the core colour needs besides the pixel.
struct CoreInputs {
    int32_t lightingMode;
    const int32_t (*sunRamp)[256];  // R, G, B arrays
    const int32_t* lensTable;       // low signed 16 bits of each entry are read
    int32_t lensLast;               // last entry that may be read
    int32_t Rcore;
    int32_t Rfade;
    SurfaceInputs surface;
};

// Index into the sun ramp (0..255) of a core pixel at quarter-pixel distance d (< Rcore)
// with offsets (ox, oy) = (x - cx, y - cy) from the centre, for every lighting mode but the
// eclipse (which takes no colour from the ramp).
inline int32_t coreIndex(const CoreInputs& in, int32_t d, int32_t ox, int32_t oy) {
    if (in.lightingMode == lightingFlat) return 255;
    // Sphere mapping: the lens table magnifies the surface texture towards the limb.
    int32_t m = d / 4;
    if (m > in.lensLast) m = in.lensLast;
    const int32_t k = static_cast<int16_t>(in.lensTable[m]);
    const int32_t u = wrapMul(k * 16, ox) >> 10;
    const int32_t v = wrapMul(k * 16, oy) >> 10;
    const int32_t index = coreSurface(in.surface, u, v);
    if (d > in.Rfade) return ((in.Rcore - d) * index) / (in.Rcore - in.Rfade);
    return index;
}

// Core colour K of a pixel at quarter-pixel distance d (< Rcore) with offsets (ox, oy) =
// (x - cx, y - cy) from the centre.
inline void coreColour(const CoreInputs& in, int32_t d, int32_t ox, int32_t oy, int32_t K[3]) {
    if (in.lightingMode == lightingEclipse) {
        K[0] = K[1] = K[2] = 0;
        return;
    }
    const int32_t index = coreIndex(in, d, ox, oy);
    K[0] = in.sunRamp[0][index];
    K[1] = in.sunRamp[1][index];
    K[2] = in.sunRamp[2][index];
}

// Spill of a summed colour whose channels exceed 255 into the other channels, with the
// second passes, then clipped to at most 255.
void spillSum(int32_t c[3]);
// The rim's simpler spill of the core colour (no second passes), then clipped.
void spillRim(int32_t c[3]);

// One channel of the blend of sun value t with source value s (both 0..255); w is the
// source weight in quarters. Codes outside 1..11 blend as "normal".
int32_t blendChannel(int32_t mode, int32_t t, int32_t s, int32_t w, const int16_t* noiseTable);

// Grey level of a sun colour for grey images, at most 255.
int32_t greyLevel(const int32_t t[3]);

// The preview's fade of result byte r towards a light 8 x 8 checkerboard by selection
// value m (255 = selected).
inline int32_t previewFade(int32_t r, int32_t m, int32_t x, int32_t y) {
    const int32_t b = ((x ^ y) & 8) != 0 ? 204 : 255;
    return (m * r + (255 - m) * b) >> 8;
}

}  // namespace rx
