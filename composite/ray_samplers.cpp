#include "composite/ray_samplers.h"

#include "composite/integer_math.h"
#include "render/noise.h"

namespace rx {

int32_t streakSample(const int16_t* noiseTable, int32_t X, int32_t Y, int32_t s) {
    // Coordinates wrap to 20 bits; the scaled product wraps modulo 2^32.
    const int32_t U = wrapMul(X & 0xFFFFF, s) >> 7;
    const int32_t V = wrapMul(Y & 0xFFFFF, s) >> 7;
    const int32_t shearV = (V >> 2) & 0xFFFFE;
    const int32_t shearU = (U >> 2) & 0xFFFFD;
    const int32_t p1 = wrapAdd(U, shearV) >> 4;
    const int32_t q1 = wrapAdd(V, shearU) >> 4;
    const int32_t p2 = wrapSub(U, shearV) >> 4;
    const int32_t q2 = wrapSub(V, shearU) >> 4;
    const int32_t h1 = wrapAdd(wrapMul(39, p1), wrapMul(57, q1)) & 2047;
    const int32_t h2 = wrapAdd(wrapMul(39, p2), wrapMul(57, q2)) & 2047;
    return (noiseTable[h1] + noiseTable[h2]) >> 1;
}

int32_t streakNoise(const int16_t* noiseTable, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                    int32_t s) {
    const int32_t A = 2 * wrapAbs(x1 - x0);
    const int32_t B = 2 * wrapAbs(y1 - y0);
    int32_t sum;
    int32_t total;
    if (A > B) {
        // Mostly horizontal: one column per step, the line passing between two rows.
        const bool down = y1 >= y0;
        const int32_t rowStep = down ? 1 : -1;
        const int32_t xStep = x1 >= x0 ? 1 : -1;
        int32_t front = down ? y0 + 1 : y0;
        const int32_t half = A / 2;
        sum = half * streakSample(noiseTable, x0, front, s) +
              half * streakSample(noiseTable, x0, front - rowStep, s);
        total = A;
        int32_t err = B - A / 2;
        for (int32_t x = x0; x != x1;) {
            if (err >= 0) {
                front += rowStep;
                err -= A;
            }
            x += xStep;
            err += B;
            const int32_t wf = err + A - B;
            sum += wf * streakSample(noiseTable, x, front, s) +
                   (A - wf) * streakSample(noiseTable, x, front - rowStep, s);
            total += A;
        }
    } else {
        // Mostly vertical (diagonals included): one row per step between two columns.
        const bool right = x1 >= x0;
        const int32_t columnStep = right ? 1 : -1;
        const int32_t yStep = y1 >= y0 ? 1 : -1;
        int32_t front = right ? x0 + 1 : x0;
        const int32_t half = B / 2;
        sum = half * streakSample(noiseTable, front, y0, s) +
              half * streakSample(noiseTable, front - columnStep, y0, s);
        total = B;
        int32_t err = A - B / 2;
        for (int32_t y = y0; y != y1;) {
            if (err >= 0) {
                front += columnStep;
                err -= B;
            }
            y += yStep;
            err += A;
            const int32_t wf = err + B - A;
            sum += wf * streakSample(noiseTable, front, y, s) +
                   (B - wf) * streakSample(noiseTable, front - columnStep, y, s);
            total += B;
        }
    }
    // A segment of zero length has no weight at all; its one pixel stands for it.
    if (total == 0) return streakSample(noiseTable, x0, y0, s);
    return sum / total;
}

int32_t smearLine(const SurfaceInputs& in, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int32_t A = 2 * wrapAbs(x1 - x0);
    const int32_t B = 2 * wrapAbs(y1 - y0);
    const int32_t sx = x1 > x0 ? in.smearStep : (x1 < x0 ? -in.smearStep : 0);
    const int32_t sy = y1 > y0 ? in.smearStep : (y1 < y0 ? -in.smearStep : 0);
    const SurfaceTables tables{in.noiseTable, in.cellWeights, in.noisePairs, in.weightPairs};
    int32_t x = x0;
    int32_t y = y0;
    int32_t sum = surfaceNoise(tables, in.octaves, x, y);
    int32_t count = 1;
    if (A <= B) {
        int32_t err = A - B / 2;
        while (sy > 0 ? y < y1 : y > y1) {
            if (err >= 0) {
                x += sx;
                err -= B;
            }
            y += sy;
            err += A;
            sum += surfaceNoise(tables, in.octaves, x, y);
            ++count;
        }
    } else {
        int32_t err = B - A / 2;
        while (sx > 0 ? x < x1 : x > x1) {
            if (err >= 0) {
                y += sy;
                err -= A;
            }
            x += sx;
            err += B;
            sum += surfaceNoise(tables, in.octaves, x, y);
            ++count;
        }
    }
    return sum / count;
}

}  // namespace rx
