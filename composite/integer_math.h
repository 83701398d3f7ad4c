// 32-bit integer helpers of the per-pixel code. Products and sums that may leave 32 bits
// wrap modulo 2^32 (two's complement), formed in unsigned arithmetic so that no signed
// overflow occurs; the same bits come out on every compiler and target.
#pragma once

#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rx {

inline int32_t wrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
inline int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
// |v| as an unsigned magnitude: exact for every v, INT32_MIN included.
inline uint32_t magnitude(int32_t v) {
    return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
}
// |v| in two's complement: INT32_MIN stays INT32_MIN, as a 32-bit machine gives it.
inline int32_t wrapAbs(int32_t v) { return static_cast<int32_t>(magnitude(v)); }

// Division truncating toward zero. The two quotients a 32-bit machine cannot form are
// given values instead of trapping: x / 0 is 0, INT32_MIN / -1 wraps to INT32_MIN.
inline int32_t truncDiv(int32_t a, int32_t b) {
    if (b == 0) return 0;
    if (b == -1) return wrapSub(0, a);
    return a / b;
}

// The largest r with r * r <= n: exact for every 32-bit n.
int32_t isqrt(uint32_t n);

// The same result (the largest r with r * r <= n) inline, for the per-pixel code. With SSE2
// the root is the double square root truncated: IEEE square roots are correctly rounded, a
// perfect square's root is exact, and any other n below 2^32 has its root more than
// 1 / 2^17 below the next integer, far more than a rounding step (below 2^-36 there). So the
// truncation is the exact floor, on every x86 build, with no correction steps.
inline int32_t rootFloor(uint32_t n) {
#if defined(__SSE2__)
    const __m128d v = _mm_set_sd(static_cast<double>(n));
    return _mm_cvttsd_si32(_mm_sqrt_sd(v, v));
#else
    return isqrt(n);
#endif
}

#if defined(__SSE2__)
// rootFloor of the squared distances of four neighbouring columns: n, then n grown by step,
// step + 32 and step + 64 in turn (uint32 arithmetic; each value below 2^31). Two lanes at
// a time through the same correctly rounded double root and truncation as rootFloor, so
// each lane equals rootFloor of its value.
inline __m128i rootFloor4(uint32_t n, uint32_t step) {
    const uint32_t n1 = n + step, n2 = n1 + step + 32u, n3 = n2 + step + 64u;
    const __m128i v = _mm_setr_epi32(int32_t(n), int32_t(n1), int32_t(n2), int32_t(n3));
    const __m128i lo = _mm_cvttpd_epi32(_mm_sqrt_pd(_mm_cvtepi32_pd(v)));
    const __m128i hi = _mm_cvttpd_epi32(_mm_sqrt_pd(_mm_cvtepi32_pd(_mm_srli_si128(v, 8))));
    return _mm_unpacklo_epi64(lo, hi);
}
#endif

// The same result, found by a search that starts from `seed` (the result for a nearby n),
// so that neighbouring pixels cost a few steps.
int32_t isqrtSeeded(uint32_t n, int32_t seed);

}  // namespace rx
