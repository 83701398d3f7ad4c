// Seeds the C runtime's random generator (rand) from the current time.
#pragma once

namespace rx::platform {

void seedRandomFromClock();

}  // namespace rx::platform
