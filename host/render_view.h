// The compositor's view of a session: the render tables of the current render area and the
// request of one row, taken from the session, its settings record and the host's
// FilterRecord. The compositor itself never sees the session.
#pragma once

#include "composite/composite_tables.h"
#include "host/types/filter_session.h"

namespace rx {

// Fills `t` for the current render (settings, previewScale, the tables prepareSunTables made)
// and prepares its derived tables. False when the settings record, the work buffer or the
// lens table is missing.
bool compositeTablesOf(const FilterSession& session, CompositeTables& t);

// Row y of the render area as the host's record lays it out (width, strides, the preview's
// selectable area).
RowRequest rowRequestOf(const FilterSession& session, int32_t y);

}  // namespace rx
