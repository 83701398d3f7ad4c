// JSON dump of every render table and derived value, keyed by the tables' own names, for
// `radiantix tables --json` and for tests.
#pragma once

#include <string>

#include "render/sun_tables.h"

namespace rx {

// The tables after prepareSunTables: haloRamp, flareRamp, sunRamp, spikeRamp,
// ringRamp ({"R":[...],"G":[...],"B":[...]}), spikeProfile, spikeLines (a, b, c, e: slots
// 0..254), flareAngles (0..100), lensTable (0..lensLast), lensLast, cellWeights,
// noiseTable, noiseSource, swirlCenterH, swirlCenterV and the derived scalars.
std::string dumpRenderTables(const SunTables& tables);

}  // namespace rx
