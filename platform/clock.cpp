#include "platform/clock.h"

#include <cstdlib>
#include <ctime>

namespace rx::platform {

void seedRandomFromClock() { std::srand(static_cast<unsigned>(std::time(nullptr))); }

}  // namespace rx::platform
