// Moveable memory on Windows: GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT) blocks.
#include <windows.h>

#include "platform/memory.h"

namespace rx::platform {

namespace {
int gFailAfter = -1;  // test seam only
}

void failMemoryAfter(int successes) { gFailAfter = successes; }

MemoryBlock allocateMemory(size_t size) {
    if (gFailAfter == 0) return nullptr;
    if (gFailAfter > 0) --gFailAfter;
    return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size ? size : 1);
}

void* lockMemory(MemoryBlock block) { return block ? GlobalLock(block) : nullptr; }

void unlockMemory(MemoryBlock block) {
    if (block) GlobalUnlock(block);
}

void freeMemory(MemoryBlock block) {
    if (block) GlobalFree(block);
}

MemoryBlock memoryFromPointer(const void* locked) {
    return locked ? GlobalHandle(locked) : nullptr;
}

}  // namespace rx::platform
