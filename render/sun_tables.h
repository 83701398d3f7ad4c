// Render set-up: turns the settings and the preview scale into the tables the compositor
// reads. All floating-point work of a render happens here.
#pragma once

#include "host/types/filter_session.h"

namespace rx {

// Size function: maps a slider value 0..100 to 1..1001 pixels.
inline int32_t sizeOf(int32_t v) { return (v * v) / 10 + 1; }

// Exponent function: 1 + d for d >= 0, 1 / (1 - d) below, so G(0) = 1 and G(-d) = 1 / G(d).
double exponentG(double d);

// The flare streaks' noise step at preview scale 1: trunc(256 * 2^(3 - flareDetail / 20)),
// 2048 at detail 0 down to 64 at 100, through the exact pow so every build gets the same.
int32_t flareNoiseStep(int32_t flareDetail);

// Direction of (x, y) in whole degrees 0..359, from the positive x axis toward the positive
// y axis. Components are quantised to 1/33; both shorter than 1/33 give 270. Non-finite
// components count as 0 and huge ones are limited to +-1e7.
int32_t vectorAngle(float x, float y);

// Rebuilds every render table from the settings record (brought into range first, see
// clampSettings) and previewScale, and resets the band cursor. Does nothing when the
// session has no settings record or work buffer.
void prepareSunTables(FilterSession& session);

}  // namespace rx
