// The 16-bit row: the sun's 8-bit colour from the 8-bit compositor, then the blend with
// the 16-bit source by the mode's rule, chosen once per row. Where a black sun leaves the
// source as it is (lighten, add, composite, ...), stretches the sun does not reach (every
// channel 0, outside the core) are skipped in place or copied; otherwise the rule runs
// over the whole row, packed samples eight at a time where SSE2 is at hand.

#include "composite/composite_row16.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "composite/band_compositor.h"
#include "composite/blend16.h"
#include "composite/compositor_parts.h"

namespace rx {

namespace {

using namespace compositor;

// Columns [x0, x1] of the row whose pixels lie inside the core or its rim (d < Rcore),
// where the source weight w is below 4; empty (x1 < x0) when none.
void coreSpan(const CompositeTables& t, int32_t y, int32_t width, int64_t* x0, int64_t* x1) {
    *x0 = 0;
    *x1 = -1;
    const int64_t R = t.f.Rcore;
    const int64_t dy = int64_t(t.cy) - y;
    if (R <= 0) return;
    const int64_t rest = R * R - 1 - 16 * dy * dy;
    if (rest < 0) return;
    const int64_t r = isqrt(static_cast<uint32_t>(std::min<int64_t>(rest / 16, 0x7FFFFFFF)));
    *x0 = std::max<int64_t>(0, int64_t(t.cx) - r);
    *x1 = std::min<int64_t>(width - 1, int64_t(t.cx) + r);
}

// Source weight of column x in quarters: 4 beyond the core, 0 inside, 0..3 on its rim.
inline int32_t weightAt(const CompositeTables& t, int32_t x, int32_t y) {
    const int32_t d = isqrt(quarterDistanceSquared(wrapSub(t.cx, x), wrapSub(t.cy, y)));
    if (d >= t.f.Rcore) return 4;
    return d >= t.f.Rsun ? d - t.f.Rsun : 0;
}

// Number of zero bytes from p on, at most n.
inline int32_t zeroBytes(const uint8_t* p, int32_t n) {
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v;
        std::memcpy(&v, p + i, 8);
        if (v != 0) break;
    }
    while (i < n && p[i] == 0) ++i;
    return i;
}

// Whether any channel of pixel x of the sun row is nonzero.
inline bool reached(const uint8_t* sun, int32_t x, int32_t channels) {
    const uint8_t* p = sun + size_t(x) * channels;
    return channels == 3 ? (p[0] | p[1] | p[2]) != 0 : p[0] != 0;
}

struct Row16 {
    const CompositeTables& t;
    const Tables16& t16;
    const uint8_t* sun;  // the scratch row: 8-bit sun colour, `channels` a pixel
    const uint16_t* src;
    uint16_t* dst;
    int32_t channels, srcStride, dstStride, y;
    int64_t core0, core1;  // columns of the core (w < 4)
};

#if defined(__SSE2__)
// Eight samples at a time for the commonest modes, on the two ranges hosts use; the same
// integers as blendChannel16: the sun on the range is t·257 (65535) or (t·257 + 1) >> 1
// (32768), which equal scaleTo16 for every t, and (a·s) >> 8 for an 8-bit a is the high
// half of (a << 8)·s. Returns where the scalar loop goes on.
inline __m128i minU16(__m128i a, __m128i b) {
    const __m128i flip = _mm_set1_epi16(int16_t(0x8000));
    return _mm_xor_si128(_mm_min_epi16(_mm_xor_si128(a, flip), _mm_xor_si128(b, flip)), flip);
}
inline __m128i maxU16(__m128i a, __m128i b) {
    const __m128i flip = _mm_set1_epi16(int16_t(0x8000));
    return _mm_xor_si128(_mm_max_epi16(_mm_xor_si128(a, flip), _mm_xor_si128(b, flip)), flip);
}

template <int32_t Mode>
size_t blendEight(const uint8_t* t, const uint16_t* s, uint16_t* o, size_t from, size_t to,
                  int32_t range) {
    constexpr bool vector = Mode == blendNormal || Mode == blendScreen || Mode == blendMultiply ||
                            Mode == blendLighten || Mode == blendDarken;
    if (!vector || (range != 65535 && range != 32768)) return from;
    const bool half = range == 32768;
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_set1_epi16(int16_t(uint16_t(range)));
    const __m128i full = _mm_set1_epi16(255);
    size_t i = from;
    for (; i + 8 <= to; i += 8) {
        const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(t + i));
        const __m128i sun = _mm_unpacklo_epi8(bytes, zero);  // t
        __m128i T = _mm_unpacklo_epi8(bytes, bytes);         // t·257
        if (half) T = _mm_avg_epu16(T, zero);
        __m128i v = T;
        if (Mode != blendNormal) {
            __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            if (half) src = minU16(src, top);
            if (Mode == blendScreen)
                v = _mm_add_epi16(
                    T, _mm_mulhi_epu16(_mm_slli_epi16(_mm_sub_epi16(full, sun), 8), src));
            else if (Mode == blendMultiply)
                v = _mm_mulhi_epu16(_mm_slli_epi16(sun, 8), src);
            else if (Mode == blendLighten)
                v = maxU16(src, T);
            else
                v = minU16(src, T);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i), v);
    }
    return i;
}
#endif

// Pixels [x0, x1) through the rule of blend mode Mode (a final render).
template <int32_t Mode>
void blendStretch(const Row16& r, int32_t x0, int32_t x1) {
    const int32_t range = r.t16.range;
    const int16_t* noise = r.t.tb.noiseTable;
    if (Mode != blendComposite && r.srcStride == r.channels && r.dstStride == r.channels) {
        // Packed samples and one weight: one loop over the samples.
        const size_t from = size_t(x0) * r.channels, to = size_t(x1) * r.channels;
        const uint8_t* t = r.sun;
        const uint16_t* s = r.src;
        uint16_t* o = r.dst;
        const uint16_t* up = r.t16.up;
        size_t i = from;
#if defined(__SSE2__)
        i = blendEight<Mode>(t, s, o, from, to, range);
#endif
        for (; i < to; ++i)
            o[i] =
                static_cast<uint16_t>(blendChannel16(Mode, t[i], up[t[i]], s[i], 4, range, noise));
        return;
    }
    for (int32_t x = x0; x < x1; ++x) {
        const uint8_t* t = r.sun + size_t(x) * r.channels;
        const uint16_t* s = r.src + size_t(x) * r.srcStride;
        uint16_t* o = r.dst + size_t(x) * r.dstStride;
        int32_t w = 4;
        if (Mode == blendComposite && x >= r.core0 && x <= r.core1) w = weightAt(r.t, x, r.y);
        for (int32_t z = 0; z < r.channels; ++z)
            o[z] = static_cast<uint16_t>(
                blendChannel16(Mode, t[z], r.t16.up[t[z]], s[z], w, range, noise));
    }
}

using Stretch = void (*)(const Row16&, int32_t, int32_t);

Stretch stretchFor(int32_t mode) {
    switch (mode) {
        case blendProceduralPlus: return &blendStretch<blendProceduralPlus>;
        case blendProceduralMinus: return &blendStretch<blendProceduralMinus>;
        case blendDifference: return &blendStretch<blendDifference>;
        case blendLighten: return &blendStretch<blendLighten>;
        case blendDarken: return &blendStretch<blendDarken>;
        case blendAdd: return &blendStretch<blendAdd>;
        case blendSubtract: return &blendStretch<blendSubtract>;
        case blendMultiply: return &blendStretch<blendMultiply>;
        case blendScreen: return &blendStretch<blendScreen>;
        case blendComposite: return &blendStretch<blendComposite>;
        default: return &blendStretch<blendNormal>;
    }
}

// Pixels [x0, x1) that the sun does not reach, in a final render: the rule with a black
// sun, unless that is a plain copy or zero.
void untouchedStretch(const Row16& r, int32_t x0, int32_t x1, Stretch rule) {
    const int32_t n = x1 - x0;
    const bool packed = r.srcStride == r.channels && r.dstStride == r.channels;
    switch (r.t16.untouchedKind) {
        case UntouchedKind::Copy:
            if (packed) {
                const uint16_t* s = r.src + size_t(x0) * r.channels;
                uint16_t* o = r.dst + size_t(x0) * r.channels;
                if (s != o) std::memmove(o, s, size_t(n) * r.channels * 2);
                return;
            }
            break;
        case UntouchedKind::Zero:
            if (packed) {
                std::memset(r.dst + size_t(x0) * r.channels, 0, size_t(n) * r.channels * 2);
                return;
            }
            break;
        default: break;
    }
    rule(r, x0, x1);
}

}  // namespace

void prepareTables16(const CompositeTables& t, int32_t range, Tables16& out) {
    out.sun = t;
    out.sun.blend = blendNormal;
    out.sun.preview = false;
    prepareCompositeTables(out.sun);
    out.range = range;
    for (int32_t v = 0; v < 256; ++v) out.up[v] = static_cast<uint16_t>(scaleTo16(v, range));
    bool copy = true, zero = true;
    for (int32_t s = 0; s <= range; ++s) {
        const int32_t v = blendChannel16(t.blend, 0, 0, s, 4, range, t.tb.noiseTable);
        copy = copy && v == s;
        zero = zero && v == 0;
    }
    out.untouchedKind = copy   ? UntouchedKind::Copy
                        : zero ? UntouchedKind::Zero
                               : UntouchedKind::Lookup;
}

void compositeRow16(const CompositeTables& t, const Tables16& t16, const RowRequest& row,
                    const uint8_t* src, uint8_t* dst, const uint8_t* maskRow, uint8_t* scratch) {
    const int32_t width = row.width;
    if (width <= 0) return;
    const int32_t channels = row.planes >= 3 ? 3 : 1;
    RowRequest sunRow = row;
    sunRow.srcStride = channels;
    sunRow.planes = channels;
    // Every pixel of the scratch row is written; the source it is handed is never read
    // with the "normal" blend.
    compositeRow(t16.sun, sunRow, scratch, scratch, nullptr);

    Row16 r{t,
            t16,
            scratch,
            reinterpret_cast<const uint16_t*>(src),
            reinterpret_cast<uint16_t*>(dst),
            channels,
            row.srcStride,
            row.planes,
            row.y,
            0,
            -1};
    coreSpan(t, row.y, width, &r.core0, &r.core1);
    const Stretch rule = stretchFor(t.blend);

    if (t.preview) {
        // Previews are small: every pixel through the rule, then the selection's fade.
        rule(r, 0, width);
        const bool rowMask = row.rowSelected && row.haveMask && maskRow;
        for (int32_t x = 0; x < width; ++x) {
            int32_t m = 0;
            if (row.rowSelected && x <= row.lastColumn) m = rowMask ? maskRow[x] : 255;
            uint16_t* o = r.dst + size_t(x) * r.dstStride;
            for (int32_t z = 0; z < channels; ++z)
                o[z] = static_cast<uint16_t>(previewFade16(o[z], m, x, row.y, t16.range));
        }
        return;
    }

    // Where a black sun changes the source (zero, or the rule itself), the rule over the
    // whole row gives the untouched pixels the same bytes in one pass; runs are looked for
    // only where they can be skipped or copied.
    if (t16.untouchedKind != UntouchedKind::Copy && r.srcStride == channels &&
        r.dstStride == channels) {
        rule(r, 0, width);
        return;
    }
    int32_t x = 0;
    while (x < width) {
        // The untouched run from x: sun bytes all 0, outside the core.
        int32_t end =
            x + zeroBytes(scratch + size_t(x) * channels, (width - x) * channels) / channels;
        if (r.core0 <= r.core1 && end > r.core0 && x <= r.core1)
            end = int32_t(std::max<int64_t>(x, r.core0));
        if (end > x) {
            untouchedStretch(r, x, end, rule);
            x = end;
            continue;
        }
        // A reached stretch: up to the next pixel whose sun bytes are all 0 (the core
        // counts as reached).
        end = x + 1;
        while (end < width &&
               ((end >= r.core0 && end <= r.core1) || reached(scratch, end, channels)))
            ++end;
        rule(r, x, end);
        x = end;
    }
}

}  // namespace rx
