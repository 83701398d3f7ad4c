// Render set-up: turns the settings and the preview scale into the tables the compositor
// reads. All floating-point work of a render happens here.
#pragma once

#include "host/filter_session.h"

namespace rx {

// Size function: maps a slider value 0..100 to 1..1001 pixels.
inline int32_t sizeOf(int32_t v) { return (v * v) / 10 + 1; }

int32_t vectorAngle(float x, float y);
void prepareSunTables(FilterSession& session);

}  // namespace rx
