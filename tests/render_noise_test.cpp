// The seeded noise table, the lattice weights, cellNoise and surfaceNoise.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "render/noise.h"

namespace {

using NoiseTable = std::array<int16_t, rx::kNoiseEntries>;

NoiseTable tableFor(int32_t seed) {
    NoiseTable t{};
    rx::buildNoiseTable(t.data(), seed);
    return t;
}

std::array<int32_t, rx::kCellWeightEntries> weights() {
    std::array<int32_t, rx::kCellWeightEntries> w{};
    rx::fillCellWeights(w.data());
    return w;
}

TEST(NoiseTable, EverySeedGivesItsOwnTable) {
    std::set<NoiseTable> distinct;
    for (int32_t seed = 0; seed < 2048; ++seed) distinct.insert(tableFor(seed));
    EXPECT_EQ(distinct.size(), 2048u);
    EXPECT_EQ(tableFor(21 + 2048), tableFor(21));  // only seed & 2047 counts
}

TEST(CellNoise, EndsBordersAndWrapping) {
    const auto w = weights();
    const NoiseTable t = tableFor(21);
    // All corners 255, all 0: the ends of the range.
    NoiseTable full{}, empty{};
    full.fill(255);
    EXPECT_EQ(rx::cellNoise(full.data(), w.data(), 1234, 5678, 0), 8064);
    EXPECT_EQ(rx::cellNoise(empty.data(), w.data(), 1234, 5678, 0), -8192);
    // The value at fx = 511 equals the next cell's fx = 0 (the shared corner has weight
    // 511 of 511), likewise in y.
    for (int c = 0; c < 40; ++c) {
        const int32_t y = 77 + 512 * c;
        EXPECT_EQ(rx::cellNoise(t.data(), w.data(), 512 * c + 511, 512 * 3, 9),
                  rx::cellNoise(t.data(), w.data(), 512 * (c + 1), 512 * 3, 9));
        EXPECT_EQ(rx::cellNoise(t.data(), w.data(), 512 * 5, 512 * c + 511, 9),
                  rx::cellNoise(t.data(), w.data(), 512 * 5, 512 * (c + 1), 9));
        EXPECT_EQ(rx::cellNoise(t.data(), w.data(), -1, y, c),
                  rx::cellNoise(t.data(), w.data(), 1048575, y, c));
        EXPECT_EQ(rx::cellNoise(t.data(), w.data(), y, -512 * c - 1, 3),
                  rx::cellNoise(t.data(), w.data(), y, (1 << 20) - 512 * c - 1, 3));
    }
    EXPECT_EQ(rx::cellNoise(t.data(), w.data(), INT32_MIN, INT32_MAX, 0),
              rx::cellNoise(t.data(), w.data(), 0, 0xFFFFF, 0));
}

TEST(SurfaceNoise, FoldedSumsAtTheEnds) {
    const auto w = weights();
    NoiseTable flat{}, full{}, empty{};
    flat.fill(128);
    full.fill(255);
    // Flat 128: every octave gives -32, acc >> 9 is -2 at every level, |-2 - 25| = 27.
    const struct {
        const NoiseTable* table;
        int level;
        int32_t expected;
    } known[] = {{&flat, 0, 27},  {&flat, 1, 27},   {&flat, 2, 27},   {&full, 0, 400},
                 {&full, 2, 479}, {&empty, 0, 457}, {&empty, 1, 505}, {&empty, 2, 537}};
    for (const auto& k : known)
        EXPECT_EQ(rx::surfaceNoiseReference(k.table->data(), w.data(), k.level, 3, -3), k.expected)
            << k.level;
}

TEST(SurfaceNoise, FastPathEqualsTheReference) {
    // Seeded tables and flat extremes, every octave level, coordinates near 0, across the
    // 20-bit wrap and at the ends of the 32-bit range.
    const auto w = weights();
    std::array<uint32_t, rx::kCellWeightEntries> weightPairs;
    rx::fillWeightPairs(w.data(), weightPairs.data());
    NoiseTable full{};
    full.fill(255);
    uint32_t v = 99;
    for (const NoiseTable& table : {tableFor(0), tableFor(1234), NoiseTable{}, full}) {
        std::array<uint32_t, rx::kNoiseEntries> pairs;
        rx::fillNoisePairs(table.data(), pairs.data());
        const rx::SurfaceTables t{table.data(), w.data(), pairs.data(), weightPairs.data()};
        for (int level = 0; level <= 3; ++level)
            for (int i = 0; i < 3000; ++i) {
                v = v * 1103515245u + 12345u;
                const int32_t x = i % 3 == 0 ? int32_t(v) : int32_t(v % 4096) - 2048;
                const int32_t y = i % 3 == 0 ? int32_t(v * 2654435761u) : int32_t(i) - 1500;
                ASSERT_EQ(rx::surfaceNoise(t, level, x, y),
                          rx::surfaceNoiseReference(table.data(), w.data(), level, x, y))
                    << level << " " << x << "," << y;
            }
    }
}

}  // namespace
