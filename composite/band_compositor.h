// The band compositor: one row of output pixels from one row of source pixels and the render
// tables. It reads only its arguments and writes only the output row, so rows may be
// composited in any order and on any number of threads.
#pragma once

#include <cstdint>

#include "composite/composite_tables.h"

namespace rx {

// Composites one row: `src` and `dst` point at the row's first pixel; `maskRow` at the row's
// selection bytes (previews with a mask), else null. Work that depends only on the row (which
// pixels the spikes, the swirls and the sun's rings reach) is done once per row, pixels only
// the halo and bow reach take their colour from the distance table, and runs of pixels
// nothing reaches are written at memory speed; the bytes are those of compositeRowReference.
void compositeRow(const CompositeTables& t, const RowRequest& row, const uint8_t* src, uint8_t* dst,
                  const uint8_t* maskRow);

// The plain reference: every pixel through the full per-pixel rule, in order. Kept beside
// compositeRow as the definition it is tested against.
void compositeRowReference(const CompositeTables& t, const RowRequest& row, const uint8_t* src,
                           uint8_t* dst, const uint8_t* maskRow);

using RowCompositor = void (*)(const CompositeTables&, const RowRequest&, const uint8_t*, uint8_t*,
                               const uint8_t*);

}  // namespace rx
