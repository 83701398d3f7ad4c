// Memory through the host's handle and buffer procedures, with the module's own moveable
// memory as the fallback when the host offers none.
#pragma once

#include <cstdint>

#include "host/types/filter_session.h"

namespace rx {

// The module's own two-level handle: the master block's first word points at the data
// block, followed by the signature "OTOF". Both blocks are zero-filled locked module
// memory; the platform blocks are kept so that lock/unlock can pair with them.
struct ModuleHandleBlock {
    char* data;
    uint32_t signature;  // kModuleHandleSignature
    void* dataBlock;     // platform::MemoryBlock of the data
    void* masterBlock;   // platform::MemoryBlock of this block
};
constexpr uint32_t kModuleHandleSignature = fourCC('O', 'T', 'O', 'F');

// True when the host's handle procedures may be used: version 1, at least 7 procedures,
// and every procedure the module calls present.
bool HostHandlesUsable(const FilterRecord* record);
// True when the host's buffer procedures may be used: version 2, at least 5 procedures,
// allocate, lock, unlock, free and space present.
bool HostBuffersUsable(const FilterRecord* record);

// Handles: the host's when usable, else module handles. `record` may be null (module
// handles then).
Handle NewHandle(const FilterRecord* record, int32_t size);
Ptr LockHandle(const FilterRecord* record, Handle h);  // null on failure
void UnlockHandle(const FilterRecord* record, Handle h);
void DisposeHandle(const FilterRecord* record, Handle h);

// Host buffers. Without usable buffer procedures AllocateBuffer returns memFullErr and a
// null identifier, LockBuffer returns null, the others do nothing.
OSErr AllocateBuffer(const FilterRecord* record, int32_t size, BufferID* id);
Ptr LockBuffer(const FilterRecord* record, BufferID id, Boolean moveHigh);
void UnlockBuffer(const FilterRecord* record, BufferID id);
void FreeBuffer(const FilterRecord* record, BufferID id);

// A working buffer: a locked host buffer when one is obtained, else zero-filled locked
// module memory (identifier 0). Null when neither can be had.
void* AllocateWorking(FilterSession& session, int32_t size, BufferID* id);
// Releases what AllocateWorking gave and sets both fields to null.
void FreeWorking(FilterSession& session, void** pointer, BufferID* id);

// Typed convenience for FreeWorking.
template <typename T>
void FreeWorking(FilterSession& session, T** pointer, BufferID* id) {
    void* p = *pointer;
    FreeWorking(session, &p, id);
    *pointer = nullptr;
}

}  // namespace rx
