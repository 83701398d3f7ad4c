// The band compositor: per pixel, the sun's contributions (spikes, halo, flare streaks,
// bow, core) summed from the render tables, levelled, spilled and clipped, then blended
// onto the source pixel.
//
// Sections:
//   [pixel geometry]   diamond angle and quarter-pixel distance
//   [contributions]    spikes, halo, flare, bow
//   [row]              compositeRow: pointers, per-pixel loop, output
//
// This is the plain reference path: one pixel at a time, exactly as the arithmetic is
// defined. Faster variants must produce the same bytes and are tested against it.

#include "composite/band_compositor.h"

#include "composite/blend_modes.h"
#include "composite/composite_frame.h"
#include "composite/integer_math.h"
#include "composite/ray_samplers.h"

namespace rx {

namespace {

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

struct Tables {
    const int32_t* spikeA;
    const int32_t* spikeB;
    const int32_t* spikeC;
    const int32_t* spikeE;
    const int16_t* spikeProfile;
    const int16_t (*spikeRamp)[600];
    const int32_t (*haloRamp)[256];
    const int32_t (*flareRamp)[256];
    const int16_t (*ringRamp)[201];
    const int16_t* flareAngles;
    const int16_t* noiseTable;
};

// Summed strength of every spike whose band passes through the pixel.
inline int32_t spikeStrength(const Tables& tb, int32_t count, int32_t dx, int32_t dy) {
    int32_t P = 0;
    for (int32_t k = 0; k < count; ++k) {
        const uint32_t across =
            magnitude(wrapAdd(wrapMul(tb.spikeA[k], dy), wrapMul(tb.spikeB[k], dx)));
        if (across > 300) continue;
        const int32_t w = tb.spikeProfile[300 - static_cast<int32_t>(across)];
        const uint32_t along =
            magnitude(wrapSub(wrapMul(tb.spikeE[k], dx), wrapMul(tb.spikeC[k], dy)));
        if (along >= 32640) continue;  // (32640 - along) >> 7 would not be positive
        const int32_t t = (32640 - static_cast<int32_t>(along)) >> 7;
        if (t > 0) P = wrapAdd(P, (t * w) >> 8);
    }
    return P;
}

inline void spikeColour(const Tables& tb, const CompositeFrame& f, int32_t d, int32_t P,
                        int32_t out[3]) {
    const int32_t u = truncDiv(wrapMul(wrapMul(f.scale, f.spikeStep), d), 50);
    int32_t i = u >> 2;
    if (i > 599) i = 599;
    if (i < 0) i = 0;
    const int32_t i2 = i + 1 < 599 ? i + 1 : 599;
    const int32_t phi = u & 3;
    for (int z = 0; z < 3; ++z) {
        const int32_t mix = tb.spikeRamp[z][i] * (3 - phi) + tb.spikeRamp[z][i2] * phi;
        out[z] = wrapMul(mix, P) >> 10;
    }
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
        const int32_t v = truncDiv(
            wrapMul(wrapMul(truncDiv(t * t, h), f.Rflare - d), n), wrapMul(h, f.flareSpan));
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

}  // namespace

// ---- [row] ----------------------------------------------------------------------------

void compositeRow(FilterSession& session) {
    FilterRecord* rec = session.filterRecord;
    SunParameters* p = sunParameters(session);
    if (!rec || !p || !session.workBuffer || !session.lensTable || !rec->inData ||
        !rec->outData) {
        *session.result = memFullErr;
        return;
    }

    const CompositeFrame f = deriveFrame(*p);
    const int32_t S = f.scale;
    const bool preview = p->previewRendering != 0;
    const int32_t y = session.currentRow;

    WorkBuffer& wb = *session.workBuffer;
    Tables tb;
    tb.spikeA = session.spikeLines.a;
    tb.spikeB = session.spikeLines.b;
    tb.spikeC = session.spikeLines.c;
    tb.spikeE = session.spikeLines.e;
    tb.spikeProfile = session.spikeProfile;
    tb.spikeRamp = wb.spikeRamp;
    tb.haloRamp = p->tables.haloRamp;
    tb.flareRamp = p->tables.flareRamp;
    tb.ringRamp = wb.ringRamp;
    tb.flareAngles = wb.flareAngles;
    tb.noiseTable = wb.noiseTable;

    CoreInputs core;
    core.lightingMode = p->lightingMode;
    core.sunRamp = p->tables.sunRamp;
    core.lensTable = session.lensTable;
    core.lensLast = session.lensLast;
    if (core.lensLast > session.lensCapacity - 1) core.lensLast = session.lensCapacity - 1;
    if (core.lensLast < 0) core.lensLast = 0;
    core.Rcore = f.Rcore;
    core.Rfade = f.Rfade;
    core.surface = surfaceInputsOf(session);

    const uint8_t* src = static_cast<const uint8_t*>(rec->inData);
    uint8_t* dst = static_cast<uint8_t*>(rec->outData);
    if (preview) {
        src += static_cast<intptr_t>(y) * rec->inRowBytes;
        dst += static_cast<intptr_t>(y) * rec->outRowBytes;
    }
    const int32_t srcStride = rec->inHiPlane - rec->inLoPlane + 1;
    const int32_t dstStride = rec->planes;
    const bool colour = rec->planes >= 3;
    const int32_t width = rec->outRect.right - rec->outRect.left;
    const int32_t blend = p->blendMode;

    int32_t cx, cy;
    if (preview) {
        cx = truncDiv(wrapSub(p->sunCenterX, p->previewOriginH), S);
        cy = truncDiv(wrapSub(p->sunCenterY, p->previewOriginV), S);
    } else {
        cx = p->sunCenterX;
        cy = p->sunCenterY;
    }
    const int32_t dy = wrapSub(cy, y);
    const int32_t oy = wrapSub(y, cy);

    // Selection row of the preview's mask, when there is one.
    const uint8_t* maskRow = nullptr;
    bool rowSelected = y >= session.firstRow && y <= session.lastRow;
    if (preview && rec->haveMask && rec->maskData && rowSelected)
        maskRow = static_cast<const uint8_t*>(rec->maskData) +
                  static_cast<intptr_t>(y - session.maskBandTop) * rec->maskRowBytes;

    int32_t d = 1;  // square-root seed: the previous pixel's distance
    for (int32_t x = 0; x < width; ++x, src += srcStride, dst += dstStride) {
        const int32_t dx = wrapSub(cx, x);
        const int32_t ox = wrapSub(x, cx);
        const int32_t A = diamondAngle(dx, dy);

        int32_t s[3];
        s[0] = src[0];
        s[1] = colour ? src[1] : s[0];
        s[2] = colour ? src[2] : s[0];

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
            coreColour(core, d, ox, oy, K);
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
        if (colour) {
            for (int z = 0; z < 3; ++z) out[z] = blendChannel(blend, T[z], s[z], w, tb.noiseTable);
            outCount = 3;
        } else {
            out[0] = blendChannel(blend, greyLevel(T), s[0], w, tb.noiseTable);
            outCount = 1;
        }
        if (preview) {
            int32_t m = 0;
            if (rowSelected && x >= 0 && x <= session.lastColumn)
                m = !rec->haveMask ? 255 : (maskRow ? maskRow[x] : 255);
            for (int z = 0; z < outCount; ++z) out[z] = previewFade(out[z], m, x, y);
        }
        for (int z = 0; z < outCount; ++z) dst[z] = static_cast<uint8_t>(out[z]);
    }
}

}  // namespace rx
