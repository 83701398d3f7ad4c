#include "render/noise.h"

namespace rx {

void buildNoiseTable(int16_t* noiseTable, int32_t seed) {
    for (int i = 0; i < kNoiseEntries; ++i)
        noiseTable[i] = static_cast<int16_t>(noiseSource[i] & 255);
    // Pass i hands entry i's current value to entry j and restores entry i at once, so the
    // seed only decides which source entry names the receiving index.
    for (int i = 0; i < kNoiseEntries; ++i) {
        const int j = noiseSource[(i + seed) & 2047];
        const int16_t held = noiseTable[i];
        noiseTable[i] = noiseTable[j];
        noiseTable[j] = held;
        noiseTable[i] = static_cast<int16_t>(noiseSource[i] & 255);
    }
}

void fillCellWeights(int32_t* cellWeights) {
    // Smoothstep (3 - 2t) t^2 scaled to 0..511; every product here is exact in double.
    for (int i = 0; i < kCellWeightEntries; ++i) {
        const double t = i * 0.001953125;
        cellWeights[i] = static_cast<int32_t>((3.0 - 2.0 * t) * t * t * 512.0);
    }
}

void fillNoisePairs(const int16_t* noiseTable, uint32_t* noisePairs) {
    for (int i = 0; i < kNoiseEntries; ++i)
        noisePairs[i] = static_cast<uint16_t>(noiseTable[i]) |
                        (uint32_t(static_cast<uint16_t>(noiseTable[(i + 29) & 2047])) << 16);
}

void fillWeightPairs(const int32_t* cellWeights, uint32_t* weightPairs) {
    for (int i = 0; i < kCellWeightEntries; ++i)
        weightPairs[i] = static_cast<uint16_t>(511 - cellWeights[i]) |
                         (uint32_t(static_cast<uint16_t>(cellWeights[i])) << 16);
}

}  // namespace rx
