// The band compositor: per pixel, the sun's contributions (spikes, halo, flare streaks,
// bow, core) summed from the render tables, levelled, spilled and clipped, then blended
// onto the source pixel.
//
// compositeRowReference is the plain reference path: one pixel at a time, exactly as the
// arithmetic is defined. compositeRow (band_compositor_fast.cpp) produces the same bytes
// faster and is tested against it.

#include "composite/band_compositor.h"

#include "composite/compositor_parts.h"

namespace rx {

using namespace compositor;

void compositeRowReference(const CompositeTables& t, const RowRequest& row, const uint8_t* src,
                           uint8_t* dst, const uint8_t* maskRow) {
    const RowContext c(t, row, src, dst, maskRow, t.core);
    const CompositeFrame& f = c.f;
    const Tables& tb = c.tb;
    const int32_t y = c.y;
    const int32_t dy = c.dy;
    const int32_t oy = c.oy;

    int32_t d = 1;  // square-root seed: the previous pixel's distance
    for (int32_t x = 0; x < c.width; ++x, src += c.srcStride, dst += c.dstStride) {
        const int32_t dx = wrapSub(c.cx, x);
        const int32_t ox = wrapSub(x, c.cx);
        const int32_t A = diamondAngle(dx, dy);

        int32_t s[3];
        s[0] = src[0];
        s[1] = c.colour ? src[1] : s[0];
        s[2] = c.colour ? src[2] : s[0];

        d = isqrtSeeded(quarterDistanceSquared(dx, dy), d);

        int32_t T[3] = {0, 0, 0};
        if (d >= f.Rsun && f.spikeCount > 0) {
            const int32_t P = spikeStrength(tb, f.spikeCount, dx, dy);
            spikeColour(tb, f, d, P, T);
        }
        if (f.Rsun <= d && d < f.Rhalo) {
            const int32_t j = 255 * (f.Rhalo - d) / f.haloSpan;
            for (int z = 0; z < 3; ++z) T[z] += tb.haloRamp[z][j];
        }
        if (f.RflareIn <= d && d < f.Rflare) {
            const int32_t j = flareIndex(tb, f, A, d, ox, oy, dx, dy);
            for (int z = 0; z < 3; ++z) T[z] += tb.flareRamp[z][j];
        }
        if (f.Rring <= d && d < f.RringOut) {
            int32_t ring[3];
            ringColour(tb, f, d, ring);
            for (int z = 0; z < 3; ++z) T[z] += ring[z];
        }

        int32_t w = 4;  // source weight in quarters
        int32_t K[3];
        bool rim = false;
        if (d < f.Rcore) {
            coreColour(c.core, d, ox, oy, K);
            if (d >= f.Rsun) {
                rim = true;
                w = d - f.Rsun;
                for (int z = 0; z < 3; ++z) K[z] = wrapMul(f.level, K[z]) / 25;
            } else {
                for (int z = 0; z < 3; ++z) T[z] += K[z];
                w = 0;
            }
        }
        for (int z = 0; z < 3; ++z) T[z] = wrapMul(f.level, T[z]) / 25;
        spillSum(T);
        if (rim) {
            spillRim(K);
            for (int z = 0; z < 3; ++z) T[z] = (w * T[z] + (4 - w) * K[z]) / 4;
        }

        int32_t out[3];
        int32_t outCount;
        if (c.colour) {
            for (int z = 0; z < 3; ++z)
                out[z] = blendChannel(c.blend, T[z], s[z], w, tb.noiseTable);
            outCount = 3;
        } else {
            out[0] = blendChannel(c.blend, greyLevel(T), s[0], w, tb.noiseTable);
            outCount = 1;
        }
        if (c.preview) {
            const int32_t m = previewSelection(c, x);
            for (int z = 0; z < outCount; ++z) out[z] = previewFade(out[z], m, x, y);
        }
        for (int z = 0; z < outCount; ++z) dst[z] = static_cast<uint8_t>(out[z]);
    }
}

}  // namespace rx
