// Random settings: "Dice" draws a complete random look, "Ecce" a new noise seed. Both draw
// from the C runtime generator (rand), which the prepare and start selectors seed from
// the clock (platform::seedRandomFromClock). Tests pass a generator of their own.
#pragma once

#include <functional>

#include "host/types/filter_session.h"
#include "host/types/sun_parameters.h"

namespace rx {

// A source of non-negative draws, at least 12 bits wide, like rand().
using RandomDraw = std::function<int()>;

// The runtime generator: std::rand.
const RandomDraw& runtimeRandom();

// lo + ((draw >> 4) & 255), drawn again while above hi: uniform over lo..hi when
// hi - lo <= 255. Returns lo without drawing when hi < lo.
int32_t randRange(const RandomDraw& draw, int32_t lo, int32_t hi);
// Red, green, blue in this order, each (draw & 255) * 256.
void randColour(const RandomDraw& draw, RGB16& colour);

// Dice: every user setting except the blend mode, the sun's centre and the preview's
// state, in a fixed order of draws; presetName becomes "random settings".
void randomizeSettings(SunParameters& p, const RandomDraw& draw);
void randomizeSettings(FilterSession& session);  // on the runtime generator

// Ecce: seed = draw & 2047; nothing else changes.
void newSeed(SunParameters& p, const RandomDraw& draw);
void newSeed(FilterSession& session);

}  // namespace rx
