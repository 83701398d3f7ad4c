// Huge pages on Windows need a privilege that users' accounts do not hold: frames take
// ordinary pages.
#include "platform/frame_memory.h"

namespace rx::platform {

void adviseHugePages(void*, size_t) {}

}  // namespace rx::platform
