// What the compositor reads: the tables of one render (read only while rows are composited,
// so any number of rows may run side by side) and the request of one row. The tables come
// from the settings and the render set-up's tables (buildCompositeTables); the host fills
// the row requests (host/render_view.h). The compositor keeps no other state.
#pragma once

#include <cstdint>
#include <vector>

#include "composite/blend_modes.h"
#include "composite/composite_frame.h"
#include "render/sun_tables.h"

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
    // Per sun ramp index (coreIndex): the levelled, spilled and clipped colour of a pixel of
    // the core's interior that the bow does not reach (R, G, B, grey level), for the blend
    // modes where the sun replaces the picture; empty for the others and for the eclipse.
    std::vector<uint8_t> coreColours;
    // Per quarter-pixel distance d from Rring up to the end of the bow or the core's interior,
    // whichever comes first: the bow's colour at d (R, G, B); empty when that is too far out.
    std::vector<int32_t> bowColours;
    // Per quarter-pixel distance d below its size / 3: spikeMix at d (R, G, B), for the
    // spike pixels beyond the core and the flare; empty without spikes.
    std::vector<int32_t> spikeMixes;
    // Per spike: the largest |cy - y| of a row the spike can reach, for offsets below 2^15
    // (where no product wraps); -1 for a spike whose coefficients are too large to tell.
    int32_t spikeRowReach[255];
    // Whether the lens table's entries 0..lensLast (as signed 16-bit values) never fall, as
    // the set-up makes them: then a range of entries spans its first to its last.
    bool lensRising;
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

// Fills all of `t` for one render from the settings and the tables prepareSunTables made
// from them (which must outlive `t`: it points into them), then its derived part. The centre
// comes from the settings: a preview's column 0 and row 0 show the image point
// (previewOriginH, previewOriginV) reduced by the scale, a final render's are the filter
// rectangle's top-left corner. False when the tables have no lens table.
bool buildCompositeTables(const SunParameters& p, const SunTables& st, CompositeTables& t);

}  // namespace rx
