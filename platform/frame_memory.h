// Memory for whole frames. A frame of a large picture is tens of megabytes, and touching it
// page by page costs more than the work done on it: a block of the heap that is about to be
// filled is offered huge pages (2 MiB) on Linux, so a 36 MB frame takes some twenty page
// faults instead of nine thousand. Advice only, given before the pages are touched; it does
// nothing where the system has no huge pages for a process (the Windows builds).
#pragma once

#include <cstddef>

namespace rx::platform {

void adviseHugePages(void* block, size_t size);

}  // namespace rx::platform
