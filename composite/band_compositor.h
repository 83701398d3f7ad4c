// The band compositor: one row of output pixels from one row of source pixels and the
// render tables.
#pragma once

#include "host/filter_session.h"

namespace rx {

// Composites row session.currentRow from inData into outData.
void compositeRow(FilterSession& session);

}  // namespace rx
