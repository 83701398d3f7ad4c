#include "composite/integer_math.h"

namespace rx {

namespace {

constexpr uint32_t kRootLimit = 65536;  // every result is below this

inline bool squareAtMost(uint32_t r, uint32_t n) { return static_cast<uint64_t>(r) * r <= n; }

}  // namespace

int32_t isqrt(uint32_t n) {
    // Digit by digit, two bits of n per step.
    uint32_t root = 0;
    uint32_t rest = n;
    uint32_t bit = 1u << 30;
    while (bit > rest) bit >>= 2;
    while (bit != 0) {
        if (rest >= root + bit) {
            rest -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
        bit >>= 2;
    }
    return static_cast<int32_t>(root);
}

int32_t isqrtSeeded(uint32_t n, int32_t seed) {
    uint32_t guess = seed < 0 ? 0u : static_cast<uint32_t>(seed);
    if (guess >= kRootLimit) guess = kRootLimit - 1;
    // Bracket the root as lo <= root < hi by steps that double away from the guess, then
    // bisect.
    uint32_t lo, hi;
    if (squareAtMost(guess, n)) {
        lo = guess;
        uint32_t step = 1;
        hi = guess + step;
        while (hi < kRootLimit && squareAtMost(hi, n)) {
            lo = hi;
            step <<= 1;
            hi = lo + step;
        }
        if (hi > kRootLimit) hi = kRootLimit;
    } else {
        hi = guess;
        uint32_t step = 1;
        lo = guess >= step ? guess - step : 0;
        while (!squareAtMost(lo, n)) {
            hi = lo;
            step <<= 1;
            lo = hi >= step ? hi - step : 0;
        }
    }
    while (hi - lo > 1) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (squareAtMost(mid, n))
            lo = mid;
        else
            hi = mid;
    }
    return static_cast<int32_t>(lo);
}

}  // namespace rx
