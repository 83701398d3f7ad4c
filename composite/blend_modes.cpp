#include "composite/blend_modes.h"

#include "composite/integer_math.h"

namespace rx {

namespace {

// Excess of the channels over 255 and which channels overflowed (1 R, 2 G, 4 B).
inline int32_t overflowOf(const int32_t c[3], int32_t* flags) {
    int32_t excess = 0;
    *flags = 0;
    for (int z = 0; z < 3; ++z) {
        if (c[z] > 255) {
            excess += 3 * (c[z] - 255);
            *flags |= 1 << z;
        }
    }
    return excess;
}

inline void clipHigh(int32_t c[3]) {
    for (int z = 0; z < 3; ++z)
        if (c[z] > 255) c[z] = 255;
}

}  // namespace

void spillSum(int32_t c[3]) {
    int32_t flags;
    const int32_t e = wrapMul(60, overflowOf(c, &flags)) >> 8;
    const int32_t h = e >> 1;
    int32_t& R = c[0];
    int32_t& G = c[1];
    int32_t& B = c[2];
    switch (flags) {
        case 1:
            G += h;
            B += h;
            if (G > 255) B += G - 255;
            if (B > 255) G += B - 255;
            break;
        case 2:
            R += h;
            B += h;
            if (R > 255) B += R - 255;
            if (B > 255) R += B - 255;
            break;
        case 4:
            R += h;
            G += h;
            if (R > 255) G += R - 255;
            if (G > 255) R += G - 255;
            break;
        case 3: B += e; break;
        case 5: G += e; break;
        case 6: R += e; break;
        default: break;
    }
    clipHigh(c);
}

void spillRim(int32_t c[3]) {
    int32_t flags;
    const int32_t e = wrapMul(60, overflowOf(c, &flags)) >> 8;
    const int32_t h = e >> 1;
    switch (flags) {
        case 1:
            c[1] += h;
            c[2] += h;
            break;
        case 2:
            c[0] += h;
            c[2] += h;
            break;
        case 4:
            c[0] += h;
            c[1] += h;
            break;
        case 3: c[2] += e; break;
        case 5: c[1] += e; break;
        case 6: c[0] += e; break;
        default: break;
    }
    clipHigh(c);
}

int32_t blendChannel(int32_t mode, int32_t t, int32_t s, int32_t w, const int16_t* noiseTable) {
    switch (mode) {
        case blendProceduralPlus: {
            const int32_t g = noiseTable[s];
            return ((255 - g) * s + g * t) >> 8;
        }
        case blendProceduralMinus: {
            const int32_t v = t + ((s * t) >> 8);
            return v < 255 ? v : 255;
        }
        case blendDifference: return ((255 - t) * s + (255 - s) * t) >> 8;
        case blendLighten: return s > t ? s : t;
        case blendDarken: return s < t ? s : t;
        case blendAdd: return t + s < 255 ? t + s : 255;
        case blendSubtract: return t - s > 0 ? t - s : 0;
        case blendMultiply: return (s * t) >> 8;
        case blendScreen: return t + (((255 - t) * s) >> 8);
        case blendComposite: {
            const int32_t v = t + ((w * s) >> 2);
            return v < 255 ? v : 255;
        }
        default: return t;
    }
}

int32_t greyLevel(const int32_t t[3]) {
    const int32_t L = (77 * t[0] + 151 * t[1] + 28 * t[2]) >> 8;
    return L < 255 ? L : 255;
}

}  // namespace rx
