// Moveable global memory, the module's own memory when the host offers none.
// Windows: GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT) and friends. POSIX: heap blocks with a
// lock count, kept in a registry so that a pointer finds its block again.
#pragma once

#include <cstddef>

namespace rx::platform {

using MemoryBlock = void*;  // HGLOBAL on Windows; null when allocation failed

MemoryBlock allocateMemory(size_t size);  // zero-filled, unlocked
void* lockMemory(MemoryBlock block);      // stable pointer until the matching unlock
void unlockMemory(MemoryBlock block);
void freeMemory(MemoryBlock block);
MemoryBlock memoryFromPointer(const void* locked);  // block of a locked pointer, or null

// A zero-filled block that stays locked until releaseLockedMemory: allocate + lock in one.
void* allocateLockedMemory(size_t size);
void releaseLockedMemory(void* locked);

// Test seam: the next `successes` allocations succeed, every later one fails, until
// reset with a negative value (the default: never fail). Counts allocateMemory calls.
void failMemoryAfter(int successes);

}  // namespace rx::platform
