// Moveable memory on POSIX: a block is a heap allocation with a lock count. Every live
// block stays in a registry, which lets a locked pointer find its block (as GlobalHandle
// does on Windows) and keeps the module's long-lived blocks reachable.
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/memory.h"

namespace rx::platform {

namespace {

struct Block {
    void* data;
    size_t size;
    int locks;
};

struct Registry {
    std::mutex mutex;
    std::unordered_map<const void*, Block*> byData;
    int failAfter = -1;
};

Registry& registry() {
    static Registry* r = new Registry;  // never destroyed: blocks may outlive static teardown
    return *r;
}

}  // namespace

void failMemoryAfter(int successes) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.failAfter = successes;
}

MemoryBlock allocateMemory(size_t size) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.failAfter == 0) return nullptr;
    if (r.failAfter > 0) --r.failAfter;
    // Zero-size blocks still get a distinct address.
    void* data = std::calloc(size ? size : 1, 1);
    if (!data) return nullptr;
    Block* b = new (std::nothrow) Block{data, size, 0};
    if (!b) {
        std::free(data);
        return nullptr;
    }
    r.byData[data] = b;
    return b;
}

void* lockMemory(MemoryBlock block) {
    if (!block) return nullptr;
    Block* b = static_cast<Block*>(block);
    ++b->locks;
    return b->data;
}

void unlockMemory(MemoryBlock block) {
    if (!block) return;
    Block* b = static_cast<Block*>(block);
    if (b->locks > 0) --b->locks;
}

void freeMemory(MemoryBlock block) {
    if (!block) return;
    Block* b = static_cast<Block*>(block);
    Registry& r = registry();
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        r.byData.erase(b->data);
    }
    std::free(b->data);
    delete b;
}

MemoryBlock memoryFromPointer(const void* locked) {
    if (!locked) return nullptr;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.byData.find(locked);
    return it == r.byData.end() ? nullptr : it->second;
}

}  // namespace rx::platform
