// The one place a settings record gets its defaults, for the module, the command line,
// the tools and the tests alike.
#pragma once

#include "host/types/sun_parameters.h"

namespace rx {

// Every setting of the setting table gets its default; haloColor2 copies haloColor; the
// record's signature and size words are set. What lies outside the table (the preview's
// state, the render tables) is kept.
void ApplyDefaults(SunParameters& p);

// Fills the record as a new settings record starts: zero-filled, preview scale 1, auto
// preview on, then ApplyDefaults.
void MakeDefaultRecord(SunParameters& p);

}  // namespace rx
