// The compositor's view of a session: the tables of the current render area and the request
// of one row, taken from the session, its settings record and the host's FilterRecord. The
// render set-up and the compositor themselves never see the session.
#pragma once

#include "composite/composite_tables.h"
#include "host/types/filter_session.h"

namespace rx {

// Fills `tables` for the current render (the settings, previewScale and the session's lens
// buffer), then `t` from them. False when the settings record or the lens buffer is missing.
bool prepareSessionTables(const FilterSession& session, SunTables& tables, CompositeTables& t);

// Row y of the render area as the host's record lays it out (width, strides, the preview's
// selectable area).
RowRequest rowRequestOf(const FilterSession& session, int32_t y);

}  // namespace rx
