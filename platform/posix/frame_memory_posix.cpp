// Huge pages on POSIX: madvise on the whole 2 MiB pages inside the block, where the system
// knows the advice (Linux with transparent huge pages).
#include <sys/mman.h>

#include <cstdint>

#include "platform/frame_memory.h"

namespace rx::platform {

void adviseHugePages(void* block, size_t size) {
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t kHugePage = uintptr_t(2) << 20;
    const uintptr_t start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (start + size) & ~(kHugePage - 1);
    if (block && end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)block;
    (void)size;
#endif
}

}  // namespace rx::platform
