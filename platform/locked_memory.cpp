// Locked blocks for both systems, built on the moveable-memory calls of memory_posix.cpp
// or memory_win.cpp.
#include "platform/memory.h"

namespace rx::platform {

void* allocateLockedMemory(size_t size) {
    MemoryBlock b = allocateMemory(size);
    if (!b) return nullptr;
    void* p = lockMemory(b);
    if (!p) freeMemory(b);  // no block left behind that nothing could find again
    return p;
}

void releaseLockedMemory(void* locked) {
    MemoryBlock b = memoryFromPointer(locked);
    if (!b) return;
    unlockMemory(b);
    freeMemory(b);
}

}  // namespace rx::platform
