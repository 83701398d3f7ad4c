// Pieces shared by the two row compositors (the plain per-pixel reference in
// band_compositor.cpp and the fast path in band_compositor_fast.cpp): the row's set-up
// and the per-pixel contributions. Both paths call
// the same functions for everything they compute per pixel, so they can differ only in
// which pixels they skip and in what order the work is done.
//
// Sections:
//   [pixel geometry]   diamond angle and quarter-pixel distance
//   [contributions]    spikes, halo, flare, bow
//   [row set-up]       RowContext
#pragma once

#include <cstdint>

#include "composite/blend_modes.h"
#include "composite/integer_math.h"
#include "composite/ray_samplers.h"
#include "composite/composite_tables.h"

namespace rx::compositor {

// ---- [pixel geometry] ---------------------------------------------------------------

// Pseudo-angle of the offset (dx, dy) around the centre: a diamond angle with 16384 per
// turn.
inline int32_t diamondAngle(int32_t dx, int32_t dy) {
    if (dx == 0 && dy == 0) return 0;
    const int32_t q = truncDiv(wrapMul(wrapMul(4, dy), 4096),
                               wrapAdd(wrapAbs(wrapMul(4, dx)), wrapAbs(wrapMul(4, dy))));
    if (dx < 0) return wrapSub(8192, q);
    if (dy < 0) return wrapAdd(q, 16384);
    return q;
}

// 16 (dx² + dy²), the square of the quarter-pixel distance. Offsets further than the
// square root can measure (about 11585 pixels) count as that far: every radius of the sun
// is far smaller, so such pixels lie outside all of it.
inline uint32_t quarterDistanceSquared(int32_t dx, int32_t dy) {
    const uint64_t mx = magnitude(dx);
    const uint64_t my = magnitude(dy);
    const uint64_t n = 16 * (mx * mx + my * my);
    return n > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<uint32_t>(n);
}

// ---- [contributions] ----------------------------------------------------------------

// Strength one spike adds at offset (dx, dy); 0 outside its band.
inline int32_t spikeTerm(const Tables& tb, int32_t k, int32_t dx, int32_t dy) {
    const uint32_t across =
        magnitude(wrapAdd(wrapMul(tb.spikeA[k], dy), wrapMul(tb.spikeB[k], dx)));
    if (across > 300) return 0;
    const int32_t w = tb.spikeProfile[300 - static_cast<int32_t>(across)];
    const uint32_t along = magnitude(wrapSub(wrapMul(tb.spikeE[k], dx), wrapMul(tb.spikeC[k], dy)));
    if (along >= 32640) return 0;  // (32640 - along) >> 7 would not be positive
    const int32_t t = (32640 - static_cast<int32_t>(along)) >> 7;
    return t > 0 ? (t * w) >> 8 : 0;
}

// Summed strength of every spike whose band passes through the pixel.
inline int32_t spikeStrength(const Tables& tb, int32_t count, int32_t dx, int32_t dy) {
    int32_t P = 0;
    for (int32_t k = 0; k < count; ++k) P = wrapAdd(P, spikeTerm(tb, k, dx, dy));
    return P;
}

// The spike ramp's colour at distance d, before the strength: spikeColour's mix.
inline void spikeMix(const Tables& tb, const CompositeFrame& f, int32_t d, int32_t mix[3]) {
    const int32_t u = truncDiv(wrapMul(wrapMul(f.scale, f.spikeStep), d), 50);
    int32_t i = u >> 2;
    if (i > 599) i = 599;
    if (i < 0) i = 0;
    const int32_t i2 = i + 1 < 599 ? i + 1 : 599;
    const int32_t phi = u & 3;
    for (int z = 0; z < 3; ++z) mix[z] = tb.spikeRamp[z][i] * (3 - phi) + tb.spikeRamp[z][i2] * phi;
}

inline void spikeColour(const Tables& tb, const CompositeFrame& f, int32_t d, int32_t P,
                        int32_t out[3]) {
    int32_t mix[3];
    spikeMix(tb, f, d, mix);
    for (int z = 0; z < 3; ++z) out[z] = wrapMul(mix[z], P) >> 10;
}

// Flare intensity index 0..255 of a pixel inside the flare zone; A is its diamond angle,
// (ox, oy) = (x - cx, y - cy), (dx, dy) = -(ox, oy).
inline int32_t flareIndex(const Tables& tb, const CompositeFrame& f, int32_t A, int32_t d,
                          int32_t ox, int32_t oy, int32_t dx, int32_t dy) {
    const int32_t n = streakNoise(tb.noiseTable, ox, oy, ox + truncDiv(120 * dx, d),
                                  oy + truncDiv(120 * dy, d), f.flareNoiseScale);
    const int32_t arc = f.flareArc;
    const int32_t h = arc >> 1;
    int32_t acc = 0;
    for (int32_t k = 0; k < f.flareCount; ++k) {
        const int32_t a = tb.flareAngles[k];
        // A streak may start below 0 or end beyond a full turn; the pixel's angle is
        // tried as it is and one turn up or down.
        int32_t t;
        if (a < A && A < a + arc)
            t = A - a;
        else if (a < A + 16384 && A + 16384 < a + arc)
            t = A + 16384 - a;
        else if (a < A - 16384 && A - 16384 < a + arc)
            t = A - 16384 - a;
        else
            continue;
        if (t > h) t = 2 * h - t;  // triangle across the streak
        const int32_t v = truncDiv(wrapMul(wrapMul(truncDiv(t * t, h), f.Rflare - d), n),
                                   wrapMul(h, f.flareSpan));
        const int32_t lit = wrapSub(wrapMul(2, v), 80);
        if (lit > 0) acc = wrapAdd(acc, lit);
    }
    const int32_t g = wrapMul(n, acc) >> 8;
    if (g < 0) return 0;
    const int32_t j = wrapMul(g, f.flareGain) >> 8;
    return j < 255 ? (j < 0 ? 0 : j) : 255;
}

inline void ringColour(const Tables& tb, const CompositeFrame& f, int32_t d, int32_t out[3]) {
    const int32_t u = 800 * (d - f.Rring) / f.ringSpan;
    const int32_t i = u >> 2;
    const int32_t phi = u & 3;
    const int32_t i2 = i + 1 < 200 ? i + 1 : 200;
    for (int z = 0; z < 3; ++z)
        out[z] = (tb.ringRamp[z][i] * (3 - phi) + tb.ringRamp[z][i2] * phi) >> 1;
}

// ---- [row set-up] -------------------------------------------------------------------

// Everything one row needs besides the pixels themselves.
struct RowContext {
    const CompositeFrame& f;
    const Tables& tb;
    const CoreInputs& core;
    const uint8_t* src;  // first source pixel of the row
    uint8_t* dst;        // first output pixel of the row
    int32_t srcStride;   // bytes per source pixel
    int32_t dstStride;   // bytes per output pixel
    bool colour;         // three channels (else grey)
    bool preview;
    int32_t width;           // pixels in the row
    int32_t blend;           // blend mode code
    int32_t y;               // row index
    int32_t cx, cy;          // centre in the row's coordinates
    int32_t dy, oy;          // cy - y and y - cy
    bool rowSelected;        // the row lies inside the selectable rows (preview)
    bool haveMask;           // the host reports a mask (preview)
    const uint8_t* maskRow;  // the mask bytes of this row, when there are any
    int32_t lastColumn;

    RowContext(const CompositeTables& t, const RowRequest& r, const uint8_t* source,
               uint8_t* output, const uint8_t* mask, const CoreInputs& rowCore)
        : f(t.f),
          tb(t.tb),
          core(rowCore),
          src(source),
          dst(output),
          srcStride(r.srcStride),
          dstStride(r.planes),
          colour(r.planes >= 3),
          preview(t.preview),
          width(r.width),
          blend(t.blend),
          y(r.y),
          cx(t.cx),
          cy(t.cy),
          dy(wrapSub(t.cy, r.y)),
          oy(wrapSub(r.y, t.cy)),
          rowSelected(r.rowSelected),
          haveMask(r.haveMask),
          maskRow(t.preview && r.rowSelected ? mask : nullptr),
          lastColumn(r.lastColumn) {}
};

// Selection value of column x in the preview: 0 outside the selectable area, 255 without a
// mask, else the mask byte.
inline int32_t previewSelection(const RowContext& c, int32_t x) {
    if (!c.rowSelected || x < 0 || x > c.lastColumn) return 0;
    if (!c.haveMask) return 255;
    return c.maskRow ? c.maskRow[x] : 255;
}

}  // namespace rx::compositor
