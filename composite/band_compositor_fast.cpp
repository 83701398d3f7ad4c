// The fast row compositor. It writes the same bytes as compositeRowReference and reaches
// them with the same per-pixel functions; what it saves is work whose result is known
// from the row alone:
//   - each spike's band crosses the row in one x-interval (the across and along tests are
//     linear in x for a fixed row), so a spike is evaluated only there, and the summed
//     strengths of the row are gathered spike by spike;
//   - the halo, flare, bow and core lie within the largest of their outer radii, which
//     crosses the row in one x-interval (d grows with |dx|); outside it, a pixel that no
//     spike reaches gets T = 0 and w = 4, so its bytes come from a 256-entry table of
//     the blend of a black sun over each source value;
//   - the distance is stepped from the previous pixel's, the diamond angle is formed only
//     inside the flare zone, and grey / colour and preview / final are chosen once per row.
// Every interval is a superset of the pixels that can be reached, worked out in 64-bit
// arithmetic; when the row's coordinates are too large for that reasoning, the interval
// is the whole row and each pixel takes the full rule.
//
// Sections:
//   [intervals]   exact x-ranges of a linear band and of a disc on the row
//   [pixels]      the full per-pixel rule and the row loop
//   [entry]       compositeRow

#include "composite/band_compositor.h"

#include <algorithm>
#include <cstdlib>

#include "composite/compositor_parts.h"

namespace rx {

namespace {

using namespace compositor;

// ---- [intervals] --------------------------------------------------------------------

// Pixels are gathered in chunks of this many, so that the spike strengths of a chunk fit
// in a small array on the stack.
constexpr int32_t kChunk = 512;

inline int64_t floorDiv(int64_t a, int64_t b) {  // b > 0
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}
inline int64_t ceilDiv(int64_t a, int64_t b) {  // b > 0
    const int64_t q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

// Narrows [x0, x1] to the x with lo <= p - q·x <= hi. Returns false when nothing is left.
inline bool narrowToBand(int64_t p, int64_t q, int64_t lo, int64_t hi, int64_t& x0, int64_t& x1) {
    if (q == 0) return lo <= p && p <= hi && x0 <= x1;
    int64_t a, b;
    if (q > 0) {
        a = ceilDiv(p - hi, q);
        b = floorDiv(p - lo, q);
    } else {
        a = ceilDiv(lo - p, -q);
        b = floorDiv(hi - p, -q);
    }
    x0 = std::max(x0, a);
    x1 = std::min(x1, b);
    return x0 <= x1;
}

inline bool fitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// The columns where spike k can add to the strength: |a·dy + b·dx| <= 300 and
// |e·dx - c·dy| <= 32512 (t > 0), with dx = cx - x. The reference forms both in 32 bits
// with wrap-around; they equal the 64-bit values wherever those fit in 32 bits, and as
// both are linear in x, checking the row's two ends settles it. Otherwise the whole row.
struct SpikeSpan {
    int32_t k;
    int32_t x0, x1;
};

bool spikeSpan(const Tables& tb, int32_t k, int32_t cx, int32_t dy, int32_t width,
               SpikeSpan* span) {
    const int64_t a = tb.spikeA[k], b = tb.spikeB[k], c = tb.spikeC[k], e = tb.spikeE[k];
    const int64_t last = width - 1;
    int64_t x0 = 0, x1 = last;
    // Below 2^30 every term stays far inside 64 bits.
    const int64_t big = int64_t(1) << 30;
    bool exact = std::max({std::abs(a), std::abs(b), std::abs(c), std::abs(e),
                           std::abs(int64_t(cx)), std::abs(int64_t(dy))}) < big;
    // across(x) = pA - b·x, along(x) = pE - e·x
    const int64_t pA = exact ? a * dy + b * cx : 0;
    const int64_t pE = exact ? e * cx - c * dy : 0;
    exact = exact && fitsInt32(pA) && fitsInt32(pA - b * last) && fitsInt32(pE) &&
            fitsInt32(pE - e * last);
    if (exact && (!narrowToBand(pA, b, -300, 300, x0, x1) ||
                  !narrowToBand(pE, e, -32512, 32512, x0, x1)))
        return false;
    span->k = k;
    span->x0 = static_cast<int32_t>(x0);
    span->x1 = static_cast<int32_t>(x1);
    return true;
}

// Columns [x0, x1] that may lie at a distance below R (quarter pixels) from the centre:
// 16 (dx² + dy²) < R². Whole row when the centre is too far out for exact offsets.
void discSpan(int32_t R, int32_t cx, int32_t dy, int32_t width, int64_t* x0, int64_t* x1) {
    *x0 = 0;
    *x1 = width - 1;
    if (cx < -(1 << 30) || cx > (1 << 30) || R > (1 << 15)) return;  // keep the whole row
    // R² is at most 2^30, so a row more than 2^15 rows away lies outside.
    if (R <= 0 || dy < -(1 << 15) || dy > (1 << 15)) {
        *x1 = -1;
        return;
    }
    const int64_t rest = int64_t(R) * R - 1 - 16 * int64_t(dy) * dy;
    if (rest < 0) {
        *x1 = -1;
        return;
    }
    // |dx| <= r exactly when dx² <= rest / 16.
    const int64_t r = isqrt(static_cast<uint32_t>(rest / 16));
    *x0 = std::max<int64_t>(0, int64_t(cx) - r);
    *x1 = std::min<int64_t>(width - 1, int64_t(cx) + r);
}

// Exact square root stepped from the previous pixel's root.
inline int32_t stepRoot(uint32_t n, int32_t d) {
    while (d > 0 && static_cast<uint64_t>(d) * static_cast<uint64_t>(d) > n) --d;
    while (static_cast<uint64_t>(d + 1) * static_cast<uint64_t>(d + 1) <= n) ++d;
    return d;
}

// ---- [pixels] -----------------------------------------------------------------------

// The full rule for one pixel with spike strength P; writes the result bytes to out.
template <bool Colour>
inline void fullPixel(const RowContext& c, int32_t x, int32_t d, int32_t P, const uint8_t* src,
                      int32_t out[3]) {
    const CompositeFrame& f = c.f;
    const Tables& tb = c.tb;
    const int32_t dx = wrapSub(c.cx, x);
    const int32_t ox = wrapSub(x, c.cx);

    int32_t T[3] = {0, 0, 0};
    if (P != 0 && d >= f.Rsun) spikeColour(tb, f, d, P, T);
    if (f.Rsun <= d && d < f.Rhalo) {
        const int32_t j = 255 * (f.Rhalo - d) / f.haloSpan;
        for (int z = 0; z < 3; ++z) T[z] += tb.haloRamp[z][j];
    }
    if (f.RflareIn <= d && d < f.Rflare) {
        const int32_t A = diamondAngle(dx, c.dy);
        const int32_t j = flareIndex(tb, f, A, d, ox, c.oy, dx, c.dy);
        for (int z = 0; z < 3; ++z) T[z] += tb.flareRamp[z][j];
    }
    if (f.Rring <= d && d < f.RringOut) {
        int32_t ring[3];
        ringColour(tb, f, d, ring);
        for (int z = 0; z < 3; ++z) T[z] += ring[z];
    }

    int32_t w = 4;  // source weight in quarters
    if (d < f.Rcore) {
        int32_t K[3];
        coreColour(c.core, d, ox, c.oy, K);
        if (d >= f.Rsun) {
            w = d - f.Rsun;
            for (int z = 0; z < 3; ++z) K[z] = wrapMul(f.level, K[z]) / 25;
            for (int z = 0; z < 3; ++z) T[z] = wrapMul(f.level, T[z]) / 25;
            spillSum(T);
            spillRim(K);
            for (int z = 0; z < 3; ++z) T[z] = (w * T[z] + (4 - w) * K[z]) / 4;
        } else {
            for (int z = 0; z < 3; ++z) T[z] = wrapMul(f.level, T[z] + K[z]) / 25;
            spillSum(T);
            w = 0;
        }
    } else if ((T[0] | T[1] | T[2]) != 0) {
        for (int z = 0; z < 3; ++z) T[z] = wrapMul(f.level, T[z]) / 25;
        spillSum(T);
    }

    if (Colour) {
        for (int z = 0; z < 3; ++z)
            out[z] = blendChannel(c.blend, T[z], src[z], w, tb.noiseTable);
    } else {
        out[0] = blendChannel(c.blend, greyLevel(T), src[0], w, tb.noiseTable);
    }
}

template <bool Colour, bool Preview>
void fastRow(const RowContext& c) {
    constexpr int32_t outCount = Colour ? 3 : 1;
    const CompositeFrame& f = c.f;
    const int32_t width = c.width;
    if (width <= 0) return;

    // The bytes of a pixel nothing reaches: a black sun blended over each source value.
    uint8_t black[256];
    for (int32_t s = 0; s < 256; ++s)
        black[s] = static_cast<uint8_t>(blendChannel(c.blend, 0, s, 4, c.tb.noiseTable));

    // Columns the halo, flare, bow or core may reach.
    const int32_t Rmax = std::max(std::max(f.Rhalo, f.Rflare), std::max(f.RringOut, f.Rcore));
    int64_t rx0, rx1;
    discSpan(Rmax, c.cx, c.dy, width, &rx0, &rx1);

    // Columns each spike may reach.
    SpikeSpan spans[255];
    int32_t spanCount = 0;
    for (int32_t k = 0; k < f.spikeCount; ++k)
        if (spikeSpan(c.tb, k, c.cx, c.dy, width, &spans[spanCount])) ++spanCount;

    int32_t P[kChunk];
    int32_t d = 1;          // the last distance worked out
    bool dFresh = false;    // d belongs to the previous pixel
    const uint8_t* src = c.src;
    uint8_t* dst = c.dst;
    for (int32_t start = 0; start < width; start += kChunk) {
        const int32_t end = std::min(width, start + kChunk);
        bool anySpike = false;
        for (int32_t i = 0; i < spanCount; ++i) {
            const SpikeSpan& s = spans[i];
            const int32_t a = std::max(s.x0, start), b = std::min(s.x1, end - 1);
            if (a > b) continue;
            if (!anySpike) {
                std::fill(P, P + (end - start), 0);
                anySpike = true;
            }
            for (int32_t x = a; x <= b; ++x)
                P[x - start] = wrapAdd(P[x - start], spikeTerm(c.tb, s.k, wrapSub(c.cx, x), c.dy));
        }

        for (int32_t x = start; x < end; ++x, src += c.srcStride, dst += c.dstStride) {
            const int32_t strength = anySpike ? P[x - start] : 0;
            int32_t out[3];
            if (strength == 0 && (x < rx0 || x > rx1)) {
                dFresh = false;
                for (int z = 0; z < outCount; ++z) out[z] = black[src[z]];
            } else {
                const uint32_t n = quarterDistanceSquared(wrapSub(c.cx, x), c.dy);
                d = dFresh ? stepRoot(n, d) : isqrtSeeded(n, d);
                dFresh = true;
                fullPixel<Colour>(c, x, d, strength, src, out);
            }
            if (Preview) {
                const int32_t m = previewSelection(c, x);
                for (int z = 0; z < outCount; ++z) out[z] = previewFade(out[z], m, x, c.y);
            }
            for (int z = 0; z < outCount; ++z) dst[z] = static_cast<uint8_t>(out[z]);
        }
    }
}

}  // namespace

// ---- [entry] --------------------------------------------------------------------------

void compositeRow(FilterSession& session) {
    RowContext c;
    if (!prepareRow(session, c)) return;
    if (c.colour)
        c.preview ? fastRow<true, true>(c) : fastRow<true, false>(c);
    else
        c.preview ? fastRow<false, true>(c) : fastRow<false, false>(c);
}

}  // namespace rx
