// The band compositor: per pixel, the sun's contributions (spikes, halo, flare streaks,
// bow, core) summed from the render tables, levelled, spilled and clipped, then blended
// onto the source pixel.
//
// Sections:
//   [row set-up]       prepareRow: pointers, derived quantities, tables
//   [pixel]            the full per-pixel rule, shared with the fast path
//   [reference row]    compositeRowReference: every pixel through the full rule
//
// compositeRowReference is the plain reference path: one pixel at a time, exactly as the
// arithmetic is defined. compositeRow (band_compositor_fast.cpp) produces the same bytes
// faster and is tested against it.

#include "composite/band_compositor.h"

#include "composite/compositor_parts.h"

namespace rx {

namespace compositor {

// ---- [row set-up] -------------------------------------------------------------------

bool prepareRow(FilterSession& session, RowContext& c) {
    FilterRecord* rec = session.filterRecord;
    SunParameters* p = sunParameters(session);
    if (!rec || !p || !session.workBuffer || !session.lensTable || !rec->inData ||
        !rec->outData) {
        *session.result = memFullErr;
        return false;
    }

    c.f = deriveFrame(*p);
    const int32_t S = c.f.scale;
    c.preview = p->previewRendering != 0;
    c.y = session.currentRow;

    WorkBuffer& wb = *session.workBuffer;
    Tables& tb = c.tb;
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

    CoreInputs& core = c.core;
    core.lightingMode = p->lightingMode;
    core.sunRamp = p->tables.sunRamp;
    core.lensTable = session.lensTable;
    core.lensLast = session.lensLast;
    if (core.lensLast > session.lensCapacity - 1) core.lensLast = session.lensCapacity - 1;
    if (core.lensLast < 0) core.lensLast = 0;
    core.Rcore = c.f.Rcore;
    core.Rfade = c.f.Rfade;
    core.surface = surfaceInputsOf(session);

    c.src = static_cast<const uint8_t*>(rec->inData);
    c.dst = static_cast<uint8_t*>(rec->outData);
    if (c.preview) {
        c.src += static_cast<intptr_t>(c.y) * rec->inRowBytes;
        c.dst += static_cast<intptr_t>(c.y) * rec->outRowBytes;
    }
    c.srcStride = rec->inHiPlane - rec->inLoPlane + 1;
    c.dstStride = rec->planes;
    c.colour = rec->planes >= 3;
    c.width = rec->outRect.right - rec->outRect.left;
    c.blend = p->blendMode;

    if (c.preview) {
        c.cx = truncDiv(wrapSub(p->sunCenterX, p->previewOriginH), S);
        c.cy = truncDiv(wrapSub(p->sunCenterY, p->previewOriginV), S);
    } else {
        c.cx = p->sunCenterX;
        c.cy = p->sunCenterY;
    }
    c.dy = wrapSub(c.cy, c.y);
    c.oy = wrapSub(c.y, c.cy);

    // Selection row of the preview's mask, when there is one.
    c.haveMask = rec->haveMask != 0;
    c.lastColumn = session.lastColumn;
    c.maskRow = nullptr;
    c.rowSelected = c.y >= session.firstRow && c.y <= session.lastRow;
    if (c.preview && rec->haveMask && rec->maskData && c.rowSelected)
        c.maskRow = static_cast<const uint8_t*>(rec->maskData) +
                    static_cast<intptr_t>(c.y - session.maskBandTop) * rec->maskRowBytes;
    return true;
}

}  // namespace compositor

namespace {

using namespace compositor;

}  // namespace

// ---- [reference row] ------------------------------------------------------------------

void compositeRowReference(FilterSession& session) {
    RowContext c;
    if (!prepareRow(session, c)) return;
    const CompositeFrame& f = c.f;
    const Tables& tb = c.tb;
    const int32_t y = c.y;
    const int32_t dy = c.dy;
    const int32_t oy = c.oy;
    const uint8_t* src = c.src;
    uint8_t* dst = c.dst;

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
