#include "host/host_memory.h"

#include <cstring>

#include "platform/memory.h"

namespace rx {

// [SECTION] Suite tests

bool HostHandlesUsable(const FilterRecord* record) {
    const HandleProcs* p = record ? record->handleProcs : nullptr;
    // lockProc and unlockProc are checked as well: the session block is locked through
    // them on every call.
    return p && p->handleProcsVersion == kHandleProcsVersion && p->numHandleProcs >= 7 &&
           p->newProc && p->disposeProc && p->getSizeProc && p->setSizeProc && p->lockProc &&
           p->unlockProc;
}

bool HostBuffersUsable(const FilterRecord* record) {
    const BufferProcs* p = record ? record->bufferProcs : nullptr;
    return p && p->bufferProcsVersion == kBufferProcsVersion && p->numBufferProcs >= 5 &&
           p->allocateProc && p->lockProc && p->unlockProc && p->freeProc && p->spaceProc;
}

// [SECTION] Module handles

namespace {

ModuleHandleBlock* moduleHandleBlock(Handle h) {
    auto* m = reinterpret_cast<ModuleHandleBlock*>(h);
    return m && m->signature == kModuleHandleSignature ? m : nullptr;
}

Handle newModuleHandle(int32_t size) {
    if (size < 0) return nullptr;
    platform::MemoryBlock master = platform::allocateMemory(sizeof(ModuleHandleBlock));
    if (!master) return nullptr;
    auto* m = static_cast<ModuleHandleBlock*>(platform::lockMemory(master));
    if (!m) {
        platform::freeMemory(master);
        return nullptr;
    }
    platform::MemoryBlock dataBlock = platform::allocateMemory(size_t(size));
    char* data = dataBlock ? static_cast<char*>(platform::lockMemory(dataBlock)) : nullptr;
    if (!data) {
        platform::freeMemory(dataBlock);
        platform::unlockMemory(master);
        platform::freeMemory(master);
        return nullptr;
    }
    m->data = data;
    m->signature = kModuleHandleSignature;
    m->dataBlock = dataBlock;
    m->masterBlock = master;
    return &m->data;
}

void disposeModuleHandle(Handle h) {
    ModuleHandleBlock* m = moduleHandleBlock(h);
    if (!m) return;
    if (m->dataBlock) {
        platform::unlockMemory(m->dataBlock);
        platform::freeMemory(m->dataBlock);
    }
    platform::MemoryBlock master = m->masterBlock;
    m->signature = 0;
    platform::unlockMemory(master);
    platform::freeMemory(master);
}

}  // namespace

// [SECTION] Handles

Handle NewHandle(const FilterRecord* record, int32_t size) {
    if (HostHandlesUsable(record)) return record->handleProcs->newProc(size);
    return newModuleHandle(size);
}

Ptr LockHandle(const FilterRecord* record, Handle h) {
    if (!h) return nullptr;
    if (HostHandlesUsable(record)) return record->handleProcs->lockProc(h, 1);
    ModuleHandleBlock* m = moduleHandleBlock(h);
    return m ? static_cast<Ptr>(platform::lockMemory(m->dataBlock)) : nullptr;
}

void UnlockHandle(const FilterRecord* record, Handle h) {
    if (!h) return;
    if (HostHandlesUsable(record)) {
        record->handleProcs->unlockProc(h);
        return;
    }
    if (ModuleHandleBlock* m = moduleHandleBlock(h)) platform::unlockMemory(m->dataBlock);
}

void DisposeHandle(const FilterRecord* record, Handle h) {
    if (!h) return;
    if (HostHandlesUsable(record))
        record->handleProcs->disposeProc(h);
    else
        disposeModuleHandle(h);
}

// [SECTION] Buffers

OSErr AllocateBuffer(const FilterRecord* record, int32_t size, BufferID* id) {
    *id = nullptr;
    if (!HostBuffersUsable(record)) return memFullErr;
    OSErr err = record->bufferProcs->allocateProc(size, id);
    if (err != noErr) *id = nullptr;
    return err;
}

Ptr LockBuffer(const FilterRecord* record, BufferID id, Boolean moveHigh) {
    if (!id || !HostBuffersUsable(record)) return nullptr;
    return record->bufferProcs->lockProc(id, moveHigh);
}

void UnlockBuffer(const FilterRecord* record, BufferID id) {
    if (id && HostBuffersUsable(record)) record->bufferProcs->unlockProc(id);
}

void FreeBuffer(const FilterRecord* record, BufferID id) {
    if (id && HostBuffersUsable(record)) record->bufferProcs->freeProc(id);
}

// [SECTION] Working buffers

void* AllocateWorking(FilterSession& session, int32_t size, BufferID* id) {
    const FilterRecord* record = session.filterRecord;
    if (size < 0) {
        *id = nullptr;
        return nullptr;
    }
    if (AllocateBuffer(record, size, id) == noErr) {
        if (Ptr p = LockBuffer(record, *id, 1)) return p;
        // Allocated but not lockable: give it back before falling back.
        FreeBuffer(record, *id);
    }
    *id = nullptr;
    return platform::allocateLockedMemory(size_t(size));
}

void FreeWorking(FilterSession& session, void** pointer, BufferID* id) {
    const FilterRecord* record = session.filterRecord;
    if (*id) {
        UnlockBuffer(record, *id);
        FreeBuffer(record, *id);
    } else if (*pointer) {
        platform::releaseLockedMemory(*pointer);
    }
    *pointer = nullptr;
    *id = nullptr;
}

}  // namespace rx
