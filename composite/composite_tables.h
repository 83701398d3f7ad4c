// What the compositor reads: the tables of one render (read only while rows are composited,
// so any number of rows may run side by side) and the request of one row. The host side fills
// both (host/render_view.h); the compositor keeps no other state.
#pragma once

#include <cstdint>
#include <vector>

#include "composite/blend_modes.h"
#include "composite/composite_frame.h"

namespace rx {

// The render tables the per-pixel rule reads.
struct Tables {
    const int32_t* spikeA;
    const int32_t* spikeB;
    const int32_t* spikeC;
    const int32_t* spikeE;
    const int16_t* spikeProfile;
    const int16_t (*spikeRamp)[600];
    const int32_t (*haloRamp)[256];
    const int32_t (*flareRamp)[256];
    const int16_t (*ringRamp)[201];
    const int16_t* flareAngles;
    const int16_t* noiseTable;
};

// How pixels that nothing reaches are written in a final render: their bytes are a black sun
// blended over the source, which for most blend modes is a plain copy, zero, or the source
// less one.
enum class UntouchedKind : uint8_t { Copy, Zero, LessOne, Lookup };

// Everything one render's rows share.
struct CompositeTables {
    CompositeFrame f;
    Tables tb;
    CoreInputs core;
    int32_t blend;   // blend mode code
    bool preview;    // previews fade by the selection; final renders write the bytes
                     // as they are
    int32_t cx, cy;  // the sun's centre in the render area's pixels

    // Filled by prepareCompositeTables from the fields above.
    uint8_t untouched[256];  // bytes of a pixel nothing reaches, by source value
    UntouchedKind untouchedKind;
    int32_t Rmax;  // outer edge of everything but the spikes
    // Per quarter-pixel distance d below Rmax: the levelled, spilled and clipped colour of a
    // pixel that only the halo and the bow reach (R, G, B, grey level), valid for d with
    // distanceColourFrom <= d and outside the flare zone.
    std::vector<uint8_t> distanceColours;
    int32_t distanceColourFrom;
    // The same pixels' halo and bow sums before the level (R, G, B per distance), for
    // pixels a spike reaches as well.
    std::vector<int32_t> distanceSums;
};

// One row: where it lies and how its pixels are laid out.
struct RowRequest {
    int32_t y;          // row index in the render area
    int32_t width;      // pixels
    int32_t srcStride;  // bytes per source pixel
    int32_t planes;     // bytes per output pixel; below 3 is a grey image
    // Preview selection: whether the row lies in the selectable rows, whether the host has a
    // mask, and the last selectable column.
    bool rowSelected;
    bool haveMask;
    int32_t lastColumn;
};

// Fills the derived part of `t` (untouched bytes, distance colours) from its settings and
// tables; done once per render, before the first row.
void prepareCompositeTables(CompositeTables& t);

}  // namespace rx
