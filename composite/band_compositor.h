// The band compositor: one row of output pixels from one row of source pixels and the
// render tables.
#pragma once

#include "host/filter_session.h"

namespace rx {

// Composites row session.currentRow from inData into outData. Work that depends only on
// the row (which pixels the spikes and the sun's rings reach) is done once per row, and
// pixels nothing reaches only get the blend; the bytes are those of
// compositeRowReference.
void compositeRow(FilterSession& session);

// The plain reference: every pixel through the full per-pixel rule, in order. Kept beside
// compositeRow as the definition it is tested against.
void compositeRowReference(FilterSession& session);

}  // namespace rx
