// The fast row compositor. It writes the same bytes as compositeRowReference and reaches
// them with the same per-pixel functions; what it saves is work whose result is known
// from the row, or from the distance alone:
//   - each spike's band crosses the row in one x-interval (the across and along tests are
//     linear in x for a fixed row), so a spike is evaluated only there, and the summed
//     strengths of the row are gathered spike by spike;
//   - the halo, flare, bow and core lie within the largest of their outer radii, which
//     crosses the row in one x-interval (d grows with |dx|); outside it, a pixel that no
//     spike reaches gets T = 0 and w = 4, so its bytes are the blend of a black sun over
//     the source: runs of such pixels are copied, zeroed or looked up at memory speed;
//   - beyond the core and outside the flare zone, the halo and the bow depend on the
//     distance only: their summed, levelled, spilled and clipped colour comes from a
//     per-distance table, and a spike there adds its colour to the table's sum;
//   - swirls whose reach misses the row's core pixels are left out of its core surface;
//   - the diamond angle is formed only inside the flare zone, and grey / colour and
//     preview / final are chosen once per row.
// Every interval is a superset of the pixels that can be reached, worked out in 64-bit
// arithmetic; when the row's coordinates are too large for that reasoning, the interval
// is the whole row and each pixel takes the full rule.
//
// Sections:
//   [intervals]   exact x-ranges of a linear band and of a disc on the row; swirl culling
//   [pixels]      the full per-pixel rule, untouched runs and the row loop
//   [entry]       compositeRow

#include "composite/band_compositor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    if (exact &&
        (!narrowToBand(pA, b, -300, 300, x0, x1) || !narrowToBand(pE, e, -32512, 32512, x0, x1)))
        return false;
    span->k = k;
    span->x0 = static_cast<int32_t>(x0);
    span->x1 = static_cast<int32_t>(x1);
    return true;
}

// Columns [x0, x1] that may lie at a distance below R (quarter pixels) from the centre:
// 16 (dx² + dy²) < R². Returns true when that is exact (then 16 (dx² + dy²) < 2^30 on every
// column of the span); false, with the whole row, when the centre is too far out for exact
// offsets.
bool discSpan(int32_t R, int32_t cx, int32_t dy, int32_t width, int64_t* x0, int64_t* x1) {
    *x0 = 0;
    *x1 = width - 1;
    if (cx < -(1 << 30) || cx > (1 << 30) || R > (1 << 15)) return false;  // the whole row
    // R² is at most 2^30, so a row more than 2^15 rows away lies outside.
    if (R <= 0 || dy < -(1 << 15) || dy > (1 << 15)) {
        *x1 = -1;
        return true;
    }
    const int64_t rest = int64_t(R) * R - 1 - 16 * int64_t(dy) * dy;
    if (rest < 0) {
        *x1 = -1;
        return true;
    }
    // |dx| <= r exactly when dx² <= rest / 16.
    const int64_t r = isqrt(static_cast<uint32_t>(rest / 16));
    *x0 = std::max<int64_t>(0, int64_t(cx) - r);
    *x1 = std::min<int64_t>(width - 1, int64_t(cx) + r);
    return true;
}

// ---- [pixels] -----------------------------------------------------------------------

// (level · v) ÷ 25, with unity (25) taken as it is where the product cannot wrap.
inline int32_t levelled(int32_t level, int32_t v) {
    if (level == 25 && uint32_t(v) + (1u << 26) < (1u << 27)) return v;
    return wrapMul(level, v) / 25;
}

// spillSum changes nothing while every channel is at most 255.
inline void spillIfOver(int32_t T[3]) {
    if (T[0] > 255 || T[1] > 255 || T[2] > 255) spillSum(T);
}

// The output stage: the levelled, spilled sun colour T blended with the source pixel.
template <bool Colour>
inline void blendOut(const RowContext& c, const int32_t T[3], const uint8_t* src, int32_t w,
                     int32_t out[3]) {
    const bool normal = c.blend < blendProceduralPlus || c.blend > blendComposite;
    if (Colour) {
        for (int z = 0; z < 3; ++z)
            out[z] = normal ? T[z] : blendChannel(c.blend, T[z], src[z], w, c.tb.noiseTable);
    } else {
        const int32_t L = greyLevel(T);
        out[0] = normal ? L : blendChannel(c.blend, L, src[0], w, c.tb.noiseTable);
    }
}

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
            for (int z = 0; z < 3; ++z) T[z] = levelled(f.level, T[z] + K[z]);
            spillIfOver(T);
            w = 0;
        }
    } else if ((T[0] | T[1] | T[2]) != 0) {
        for (int z = 0; z < 3; ++z) T[z] = levelled(f.level, T[z]);
        spillIfOver(T);
    }

    blendOut<Colour>(c, T, src, w, out);
}

// The swirls that can displace the core surface of this row's core pixels: the sphere
// mapping puts them at u = (k·16·ox) >> 10, v = (k·16·oy) >> 10 with k from the lens
// table entries of their distances, so u and v lie between the products of the extreme k
// and offsets. A swirl whose reach misses that box is left out. Returns false (keep every
// swirl) when the products might wrap around in 32 bits.
bool cullSwirls(const CompositeTables& t, const RowContext& c, int64_t cx0, int64_t cx1,
                uint8_t* list, int32_t* count) {
    const SurfaceInputs& in = c.core.surface;
    const CompositeFrame& f = c.f;
    // Distances of the row's core pixels: from the distance at the column nearest the
    // centre up to Rcore - 1.
    const int64_t nearX = std::min(std::max(int64_t(c.cx), cx0), cx1);
    const int64_t ndx = int64_t(c.cx) - nearX;
    if (ndx < -(1 << 16) || ndx > (1 << 16) || c.dy < -(1 << 16) || c.dy > (1 << 16)) return false;
    const int64_t n = 16 * (ndx * ndx + int64_t(c.dy) * c.dy);
    if (n > 0x7FFFFFFF) return false;
    const int32_t dLow = isqrt(static_cast<uint32_t>(n));
    // ... up to the distance at the column farthest from it, below Rcore.
    const int64_t fdx = std::max(std::abs(int64_t(c.cx) - cx0), std::abs(int64_t(c.cx) - cx1));
    int32_t dHigh = f.Rcore - 1;
    if (fdx < (1 << 16)) {
        const int64_t nf = 16 * (fdx * fdx + int64_t(c.dy) * c.dy);
        if (nf <= 0x7FFFFFFF) dHigh = std::min(dHigh, rootFloor(static_cast<uint32_t>(nf)));
    }
    const int32_t mLow = std::min(dLow / 4, c.core.lensLast);
    const int32_t mHigh = std::min(dHigh / 4, c.core.lensLast);
    if (mLow < 0 || mHigh < mLow) return false;
    int64_t kLow = INT16_MAX, kHigh = INT16_MIN;
    if (t.lensRising) {
        kLow = static_cast<int16_t>(c.core.lensTable[mLow]);
        kHigh = static_cast<int16_t>(c.core.lensTable[mHigh]);
    } else {
        for (int32_t m = mLow; m <= mHigh; ++m) {
            const int64_t k = static_cast<int16_t>(c.core.lensTable[m]);
            kLow = std::min(kLow, k);
            kHigh = std::max(kHigh, k);
        }
    }
    const int64_t limit = int64_t(1) << 31;
    const int64_t oxs[2] = {cx0 - c.cx, cx1 - c.cx};
    const int64_t ks[2] = {16 * kLow, 16 * kHigh};
    int64_t uLow = INT64_MAX, uHigh = INT64_MIN, vLow = INT64_MAX, vHigh = INT64_MIN;
    for (int64_t k : ks) {
        for (int64_t ox : oxs) {
            const int64_t u = k * ox;
            if (u <= -limit || u >= limit) return false;
            uLow = std::min(uLow, u >> 10);
            uHigh = std::max(uHigh, u >> 10);
        }
        const int64_t v = k * c.oy;
        if (v <= -limit || v >= limit) return false;
        vLow = std::min(vLow, v >> 10);
        vHigh = std::max(vHigh, v >> 10);
    }
    const int64_t R = in.swirlReach;
    *count = 0;
    if (R < 1) return true;
    for (int32_t k = 0; k < in.swirlCount; ++k) {
        const int64_t h = in.swirlCenterH[k], v = in.swirlCenterV[k];
        if (uLow <= h + R - 1 && uHigh >= h - R + 1 && vLow <= v + R - 1 && vHigh >= v - R + 1)
            list[(*count)++] = static_cast<uint8_t>(k);
    }
    return true;
}

// Bytes of a run of pixels nothing reaches, in a final render.
void untouchedRun(const CompositeTables& t, const uint8_t* src, uint8_t* dst, int32_t pixels,
                  int32_t srcStride, int32_t dstStride, int32_t channels) {
    if (srcStride != channels || dstStride != channels) {
        for (int32_t i = 0; i < pixels; ++i, src += srcStride, dst += dstStride)
            for (int32_t z = 0; z < channels; ++z) dst[z] = t.untouched[src[z]];
        return;
    }
    const size_t bytes = size_t(pixels) * size_t(channels);
    switch (t.untouchedKind) {
        case UntouchedKind::Copy:
            if (src != dst) std::memmove(dst, src, bytes);
            return;
        case UntouchedKind::Zero: std::memset(dst, 0, bytes); return;
        case UntouchedKind::LessOne: {
            size_t i = 0;
#if defined(__SSE2__)
            const __m128i one = _mm_set1_epi8(1);
            for (; i + 16 <= bytes; i += 16) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_subs_epu8(v, one));
            }
#endif
            for (; i < bytes; ++i) dst[i] = static_cast<uint8_t>(src[i] - (src[i] != 0));
            return;
        }
        case UntouchedKind::Lookup:
            for (size_t i = 0; i < bytes; ++i) dst[i] = t.untouched[src[i]];
            return;
    }
}

// Columns of the row's core pixels, and the swirls for them: the row's list, narrowed per
// stretch of kSwirlStretch columns when swirls are tested at all.
constexpr int32_t kSwirlStretch = 32;
struct RowSwirls {
    CoreInputs* core;  // what c.core refers to; its swirl list is set per stretch
    bool perStretch;
    int64_t cx0, cx1;  // columns of the core
    const uint8_t* rowList;
    int32_t rowCount;
    int32_t stretchEnd;  // last column the current list holds for
    uint8_t list[100];
};

// Points the core's swirl list at the swirls that can reach columns x .. the end of x's
// stretch.
void swirlsFor(const CompositeTables& t, const RowContext& c, RowSwirls& s, int32_t x) {
    s.stretchEnd = int32_t(std::min<int64_t>(x + kSwirlStretch - 1, s.cx1));
    int32_t count = 0;
    if (x >= s.cx0 && cullSwirls(t, c, x, s.stretchEnd, s.list, &count)) {
        s.core->surface.swirlList = s.list;
        s.core->surface.swirlListCount = count;
    } else {
        s.core->surface.swirlList = s.rowList;
        s.core->surface.swirlListCount = s.rowCount;
    }
}

template <bool Colour, bool Preview>
void fastRow(const CompositeTables& t, const RowContext& c, RowSwirls& swirls) {
    constexpr int32_t outCount = Colour ? 3 : 1;
    const CompositeFrame& f = c.f;
    const int32_t width = c.width;
    if (width <= 0) return;

    // Columns the halo, flare, bow or core may reach.
    int64_t rx0, rx1;
    const bool discExact = discSpan(t.Rmax, c.cx, c.dy, width, &rx0, &rx1);
    // Columns of the core's interior (d < Rsun), where the full rule comes down to the core
    // colour and the bow: no spike, halo or flare reaches below Rsun.
    int64_t kx0, kx1;
    const bool interior = discSpan(f.Rsun, c.cx, c.dy, width, &kx0, &kx1) && kx0 <= kx1;

    // Columns each spike may reach; spikes whose rows end before this one are passed over
    // where no offset of the row can wrap (then across and along are the exact values).
    SpikeSpan spans[255];
    int32_t spanCount = 0;
    const int64_t limit = 1 << 15;
    const bool rowSmall = std::abs(int64_t(c.dy)) < limit && std::abs(int64_t(c.cx)) < limit &&
                          std::abs(int64_t(c.cx) - (width - 1)) < limit;
    const int32_t rowReach = rowSmall ? (c.dy < 0 ? -c.dy : c.dy) : INT32_MAX;
    for (int32_t k = 0; k < f.spikeCount; ++k) {
        const int32_t reach = t.spikeRowReach[k];
        if (reach >= 0 && rowReach > reach) continue;
        if (spikeSpan(c.tb, k, c.cx, c.dy, width, &spans[spanCount])) ++spanCount;
    }

    const bool haveTable = !t.distanceColours.empty();
    const uint8_t* colours = haveTable ? t.distanceColours.data() : nullptr;
    const int32_t tableFrom = t.distanceColourFrom;
    const int32_t* sums = haveTable ? t.distanceSums.data() : nullptr;
    const uint8_t* coreColours = t.coreColours.empty() ? nullptr : t.coreColours.data();
    const int32_t* bowColours = t.bowColours.empty() ? nullptr : t.bowColours.data();
    const int32_t bowEnd = f.Rring + int32_t(t.bowColours.size() / 3);
    const int32_t* spikeMixes = t.spikeMixes.data();
    const size_t spikeMixCount = t.spikeMixes.size() / 3;
    const bool normal = c.blend < blendProceduralPlus || c.blend > blendComposite;

    int32_t P[kChunk];
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

        int32_t x = start;
        while (x < end) {
            const int32_t strength = anySpike ? P[x - start] : 0;
            int32_t out[3];
            if (strength == 0 && (x < rx0 || x > rx1)) {
                // A run of pixels nothing reaches.
                int32_t runEnd = x + 1;
                if (!anySpike) {
                    runEnd = x < rx0 ? int32_t(std::min<int64_t>(end, rx0)) : end;
                } else {
                    while (runEnd < end && P[runEnd - start] == 0 && (runEnd < rx0 || runEnd > rx1))
                        ++runEnd;
                }
                const int32_t n = runEnd - x;
                if (!Preview) {
                    untouchedRun(t, src, dst, n, c.srcStride, c.dstStride, outCount);
                } else {
                    for (int32_t i = x; i < runEnd; ++i) {
                        const int32_t m = previewSelection(c, i);
                        const uint8_t* s = src + size_t(i - x) * c.srcStride;
                        uint8_t* o = dst + size_t(i - x) * c.dstStride;
                        for (int z = 0; z < outCount; ++z)
                            o[z] = static_cast<uint8_t>(previewFade(t.untouched[s[z]], m, i, c.y));
                    }
                }
                src += size_t(n) * c.srcStride;
                dst += size_t(n) * c.dstStride;
                x = runEnd;
                continue;
            }

            if (interior && x >= kx0 && x <= kx1) {
                // The exact interior span keeps 16 (dx² + dy²) below 2^30, carried from
                // column to column in 32 bits.
                const int32_t stop = int32_t(std::min<int64_t>(end - 1, kx1)) + 1;
                const int32_t dx0 = c.cx - x;
                uint32_t n = 16u * uint32_t(dx0 * dx0 + c.dy * c.dy);
                uint32_t step = 16u * uint32_t(1 - 2 * dx0);
                for (; x < stop; ++x, src += c.srcStride, dst += c.dstStride) {
                    const int32_t d = rootFloor(n);
                    n += step;
                    step += 32u;
                    const bool bow = f.Rring <= d && d < f.RringOut;
                    if (swirls.perStretch && x > swirls.stretchEnd) swirlsFor(t, c, swirls, x);
                    if (coreColours && !bow) {
                        const uint8_t* K =
                            coreColours + size_t(coreIndex(c.core, d, wrapSub(x, c.cx), c.oy)) * 4;
                        if (Colour) {
                            out[0] = K[0];
                            out[1] = K[1];
                            out[2] = K[2];
                        } else {
                            out[0] = K[3];
                        }
                    } else if (bow && bowColours && d < bowEnd) {
                        // The bow's colour from its table, the core colour, then the level,
                        // the spill and the blend, as below.
                        const int32_t* ring = bowColours + size_t(d - f.Rring) * 3;
                        int32_t K[3];
                        coreColour(c.core, d, wrapSub(x, c.cx), c.oy, K);
                        int32_t T[3] = {levelled(f.level, ring[0] + K[0]),
                                        levelled(f.level, ring[1] + K[1]),
                                        levelled(f.level, ring[2] + K[2])};
                        spillIfOver(T);
                        blendOut<Colour>(c, T, src, 0, out);
                    } else {
                        int32_t T[3] = {0, 0, 0};
                        if (bow) ringColour(c.tb, f, d, T);
                        int32_t K[3];
                        coreColour(c.core, d, wrapSub(x, c.cx), c.oy, K);
                        for (int z = 0; z < 3; ++z) T[z] = levelled(f.level, T[z] + K[z]);
                        spillIfOver(T);
                        blendOut<Colour>(c, T, src, 0, out);
                    }
                    if (Preview) {
                        const int32_t m = previewSelection(c, x);
                        for (int z = 0; z < outCount; ++z) out[z] = previewFade(out[z], m, x, c.y);
                    }
                    for (int z = 0; z < outCount; ++z) dst[z] = static_cast<uint8_t>(out[z]);
                }
                continue;
            }
            if (!Preview && normal && haveTable && discExact && strength == 0 && x >= rx0) {
                // The common case in a final render: a stretch of the disc that no spike
                // reaches, the sun replacing the picture. Pixels of the distance table are
                // written straight from it; the others leave this loop for the full rule.
                // Inside the exact disc span 16 (dx² + dy²) stays below 2^30, so it is
                // carried from column to column in 32 bits.
                const int32_t stop = int32_t(std::min<int64_t>(end - 1, rx1)) + 1;
                const int32_t from = x;
                const int32_t dx0 = c.cx - x;
                uint32_t n = 16u * uint32_t(dx0 * dx0 + c.dy * c.dy);
                uint32_t step = 16u * uint32_t(1 - 2 * dx0);  // to the next column's
                const uint32_t tableSpan = uint32_t(t.Rmax - tableFrom);
                const uint32_t flareSpan = uint32_t(f.Rflare - f.RflareIn);
                // Packed colour pixels are written four bytes at a time, one pixel late:
                // the fourth byte lands on the next pixel's first, which is known by then to
                // belong to this stretch and is written over in turn. The last pixel of the
                // stretch is written three bytes wide.
                const bool packed = Colour && c.dstStride == 3;
                uint8_t* lastDst = nullptr;
                const uint8_t* lastT = nullptr;
#if defined(__SSE2__)
                if (packed) {
                    // Four columns at a time while all four are the table's; the loop below
                    // takes the rest and ends the stretch. The range tests are the unsigned
                    // ones below, on lanes biased by 2^31.
                    const __m128i bias = _mm_set1_epi32(INT32_MIN);
                    const __m128i from = _mm_set1_epi32(tableFrom);
                    const __m128i flareIn = _mm_set1_epi32(f.RflareIn);
                    const __m128i tableEnd = _mm_set1_epi32(int32_t(tableSpan ^ 0x80000000u));
                    const __m128i flareEnd = _mm_set1_epi32(int32_t(flareSpan ^ 0x80000000u));
                    while (stop - x >= 4) {
                        if (anySpike) {
                            const int32_t* p = P + (x - start);
                            if ((p[0] | p[1] | p[2] | p[3]) != 0) break;
                        }
                        const __m128i dd = rootFloor4(n, step);
                        const __m128i inTable =
                            _mm_cmplt_epi32(_mm_xor_si128(_mm_sub_epi32(dd, from), bias), tableEnd);
                        const __m128i inFlare = _mm_cmplt_epi32(
                            _mm_xor_si128(_mm_sub_epi32(dd, flareIn), bias), flareEnd);
                        if (_mm_movemask_epi8(_mm_andnot_si128(inFlare, inTable)) != 0xFFFF) break;
                        alignas(16) int32_t d[4];
                        _mm_store_si128(reinterpret_cast<__m128i*>(d), dd);
                        if (lastDst) std::memcpy(lastDst, lastT, 4);
                        std::memcpy(dst, colours + size_t(d[0]) * 4, 4);
                        std::memcpy(dst + 3, colours + size_t(d[1]) * 4, 4);
                        std::memcpy(dst + 6, colours + size_t(d[2]) * 4, 4);
                        lastDst = dst + 9;
                        lastT = colours + size_t(d[3]) * 4;
                        x += 4;
                        src += 4 * c.srcStride;
                        dst += 12;
                        n += 4u * step + 192u;
                        step += 128u;
                    }
                }
#endif
                while (x < stop) {
                    if (anySpike && P[x - start] != 0) break;
                    const int32_t dd = rootFloor(n);
                    if (uint32_t(dd - tableFrom) >= tableSpan ||
                        uint32_t(dd - f.RflareIn) < flareSpan)
                        break;
                    const uint8_t* T = colours + size_t(dd) * 4;
                    if (packed) {
                        if (lastDst) std::memcpy(lastDst, lastT, 4);
                        lastDst = dst;
                        lastT = T;
                    } else if (Colour) {
                        dst[0] = T[0];
                        dst[1] = T[1];
                        dst[2] = T[2];
                    } else {
                        dst[0] = T[3];
                    }
                    ++x;
                    src += c.srcStride;
                    dst += c.dstStride;
                    n += step;
                    step += 32u;
                }
                if (lastDst) std::memcpy(lastDst, lastT, 3);
                if (x != from) continue;  // the next pixel starts afresh
            }
            const uint32_t n = quarterDistanceSquared(wrapSub(c.cx, x), c.dy);
            const int32_t d = rootFloor(n);
            if (strength == 0 && d >= t.Rmax) {
                for (int z = 0; z < outCount; ++z) out[z] = t.untouched[src[z]];
            } else if (strength == 0 && haveTable && d >= tableFrom &&
                       !(f.RflareIn <= d && d < f.Rflare)) {
                // Only the halo and the bow reach the pixel: its colour is the distance's.
                const uint8_t* T = colours + size_t(d) * 4;
                if (Colour) {
                    for (int z = 0; z < 3; ++z)
                        out[z] =
                            normal ? T[z] : blendChannel(c.blend, T[z], src[z], 4, c.tb.noiseTable);
                } else {
                    out[0] =
                        normal ? T[3] : blendChannel(c.blend, T[3], src[0], 4, c.tb.noiseTable);
                }
            } else if (haveTable && d >= tableFrom && !(f.RflareIn <= d && d < f.Rflare)) {
                // A spike beyond the core and the flare: its colour plus the distance's halo
                // and bow sum, then the level, the spill and the blend.
                int32_t T[3];
                if (size_t(d) < spikeMixCount) {
                    const int32_t* mix = spikeMixes + size_t(d) * 3;
                    for (int z = 0; z < 3; ++z) T[z] = wrapMul(mix[z], strength) >> 10;
                } else {
                    spikeColour(c.tb, f, d, strength, T);
                }
                if (d < t.Rmax) {
                    const int32_t* sum = sums + size_t(d) * 3;
                    for (int z = 0; z < 3; ++z) T[z] = wrapAdd(T[z], sum[z]);
                }
                for (int z = 0; z < 3; ++z) T[z] = levelled(f.level, T[z]);
                spillIfOver(T);
                if (Colour) {
                    for (int z = 0; z < 3; ++z)
                        out[z] =
                            normal ? T[z] : blendChannel(c.blend, T[z], src[z], 4, c.tb.noiseTable);
                } else {
                    const int32_t L = greyLevel(T);
                    out[0] = normal ? L : blendChannel(c.blend, L, src[0], 4, c.tb.noiseTable);
                }
            } else {
                if (swirls.perStretch && d < f.Rcore && x > swirls.stretchEnd)
                    swirlsFor(t, c, swirls, x);
                fullPixel<Colour>(c, x, d, strength, src, out);
            }
            if (Preview) {
                const int32_t m = previewSelection(c, x);
                for (int z = 0; z < outCount; ++z) out[z] = previewFade(out[z], m, x, c.y);
            }
            for (int z = 0; z < outCount; ++z) dst[z] = static_cast<uint8_t>(out[z]);
            ++x;
            src += c.srcStride;
            dst += c.dstStride;
        }
    }
}

}  // namespace

// ---- [entry] --------------------------------------------------------------------------

void compositeRow(const CompositeTables& t, const RowRequest& row, const uint8_t* src, uint8_t* dst,
                  const uint8_t* maskRow) {
    // Swirls are tested only where the row's core pixels can meet them: culled for the row,
    // then for each stretch of its columns.
    CoreInputs core = t.core;
    RowSwirls swirls;
    swirls.core = &core;
    swirls.perStretch = false;
    swirls.stretchEnd = INT32_MIN;
    uint8_t rowList[100];
    if (core.lightingMode != lightingFlat && core.lightingMode != lightingEclipse &&
        (core.surface.vortices || core.surface.monopoles) && core.surface.swirlCount > 0) {
        const RowContext probe(t, row, src, dst, maskRow, t.core);
        discSpan(t.f.Rcore, probe.cx, probe.dy, row.width, &swirls.cx0, &swirls.cx1);
        int32_t count = 0;
        if (swirls.cx0 <= swirls.cx1 &&
            cullSwirls(t, probe, swirls.cx0, swirls.cx1, rowList, &count)) {
            core.surface.swirlList = rowList;
            core.surface.swirlListCount = count;
            swirls.perStretch = count > 0;
        }
        swirls.rowList = core.surface.swirlList;
        swirls.rowCount = core.surface.swirlListCount;
    }
    const RowContext c(t, row, src, dst, maskRow, core);
    if (c.colour)
        c.preview ? fastRow<true, true>(t, c, swirls) : fastRow<true, false>(t, c, swirls);
    else
        c.preview ? fastRow<false, true>(t, c, swirls) : fastRow<false, false>(t, c, swirls);
}

}  // namespace rx
