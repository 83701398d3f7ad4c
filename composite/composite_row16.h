// The band compositor for 16-bit images. The sun is the 8-bit compositor's own: its colour
// for every pixel of the row comes from compositeRow with the "normal" blend (the sun
// alone), written into an 8-bit scratch row; the blend with the 16-bit source then follows
// blend16.h. Runs of pixels the sun does not reach are skipped or copied where a black sun
// leaves the source as it is, as in the 8-bit compositor.
#pragma once

#include <cstdint>

#include "composite/composite_tables.h"

namespace rx {

// What a 16-bit render adds to the render's tables.
struct Tables16 {
    CompositeTables sun;  // the render's tables with the "normal" blend, as a final render
    int32_t range = 32768;
    uint16_t up[256];  // each 8-bit sun value on the 16-bit range
    // How a pixel the sun does not reach is written (a black sun blended over the source):
    // a copy, zero, or the rule itself.
    UntouchedKind untouchedKind = UntouchedKind::Lookup;
};

// Fills `out` from the prepared tables of the render and the host's 16-bit range
// (32768 or 65535). Once per render, before the first row.
void prepareTables16(const CompositeTables& t, int32_t range, Tables16& out);

// Composites one row of 16-bit samples (two bytes each, in the machine's byte order):
// `row` counts strides in samples. `scratch` holds width x channels bytes (3 channels for
// colour images, 1 for grey).
void compositeRow16(const CompositeTables& t, const Tables16& t16, const RowRequest& row,
                    const uint8_t* src, uint8_t* dst, const uint8_t* maskRow, uint8_t* scratch);

}  // namespace rx
