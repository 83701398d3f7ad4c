// The two noise samplers of the compositor: the streak sampler that averages noise along
// a short segment pointing at the sun's centre (the flare's radial streaks), and the core
// surface value with its swirl displacement and smear walk.
#pragma once

#include <cstdint>

#include "composite/integer_math.h"
#include "render/noise.h"

namespace rx {

// What the core surface reads: the noise tables and the derived swirl values.
struct SurfaceInputs {
    const int16_t* noiseTable;   // 2048 entries
    const int32_t* cellWeights;  // 512 entries
    const uint32_t* noisePairs;  // the same tables as pairs (fillNoisePairs, fillWeightPairs)
    const uint32_t* weightPairs;
    int32_t octaves;     // surfaceOctaves
    int32_t smearStep;   // at least 1
    int32_t swirlReach;  // R
    int32_t swirlForce;  // F
    int32_t swirlCount;  // 0..100
    bool vortices;
    bool monopoles;
    const int16_t* swirlCenterH;  // 100 entries
    const int16_t* swirlCenterV;
    // The swirls worth testing, in ascending order: the others cannot reach the positions
    // asked for (the fast path lists them per row). Null: all swirlCount of them.
    const uint8_t* swirlList;
    int32_t swirlListCount;
};

// Noise of one pixel (X, Y) at scale s for the streak sampler, 0..255.
int32_t streakSample(const int16_t* noiseTable, int32_t X, int32_t Y, int32_t s);

// Weighted mean of streakSample over a two-row line from (x0, y0) to (x1, y1), both ends
// included. 0..255.
int32_t streakNoise(const int16_t* noiseTable, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                    int32_t s);

// Plain mean of surfaceNoise along a line walked in strides of smearStep pixels.
int32_t smearLine(const SurfaceInputs& in, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

inline int32_t clipByte(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// The core's surface brightness at sphere-mapped position (u, v), 0..255: plain surface
// noise, or displaced by the swirls and smeared along the displacement. Inline: it runs for
// every core pixel.
inline int32_t coreSurface(const SurfaceInputs& in, int32_t u, int32_t v) {
    if (!in.vortices && !in.monopoles)
        return clipByte(surfaceNoise(
            SurfaceTables{in.noiseTable, in.cellWeights, in.noisePairs, in.weightPairs}, in.octaves,
            u, v));

    const int32_t R = in.swirlReach;
    const int32_t F = in.swirlForce;
    const int32_t R2 = wrapMul(R, R);
    int32_t du = 0;
    int32_t dv = 0;
    const int32_t tested = in.swirlList ? in.swirlListCount : in.swirlCount;
    for (int32_t i = 0; i < tested; ++i) {
        const int32_t k = in.swirlList ? in.swirlList[i] : i;
        const int32_t ex = wrapSub(u, in.swirlCenterH[k]);
        const int32_t ey = wrapSub(v, in.swirlCenterV[k]);
        if (!(wrapAbs(ex) < R && wrapAbs(ey) < R)) continue;
        // Inside the reach both offsets are below R, so the squares cannot overflow.
        const int32_t r = rootFloor(static_cast<uint32_t>(ex * ex + ey * ey));
        if (r >= R) continue;
        const int32_t g = (k & 1) ? R - r : r - R;
        const int32_t rr = r > 1 ? r : 1;
        const int32_t nx = (ex * R) / rr;
        const int32_t ny = (ey * R) / rr;
        const bool monopole = (k & 2) == 0 ? in.monopoles : !in.vortices;
        if (monopole) {
            du = wrapAdd(du, truncDiv(wrapMul(wrapMul(g, nx), F), R2));
            dv = wrapAdd(dv, truncDiv(wrapMul(wrapMul(g, ny), F), R2));
        } else {
            du = wrapSub(du, truncDiv(wrapMul(wrapMul(g, ny), F), R2));
            dv = wrapAdd(dv, truncDiv(wrapMul(wrapMul(g, nx), F), R2));
        }
    }
    // No displacement: the smear is the one point.
    if ((du | dv) == 0)
        return clipByte(surfaceNoise(
            SurfaceTables{in.noiseTable, in.cellWeights, in.noisePairs, in.weightPairs}, in.octaves,
            u, v));
    return clipByte(smearLine(in, u, v, wrapAdd(u, du), wrapAdd(v, dv)));
}

}  // namespace rx
