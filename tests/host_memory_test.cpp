// The module's memory procedures (host suites, module handles, working buffers) and the
// platform's moveable memory.
#include <gtest/gtest.h>

#include <cstring>

#include "app/memory_host.h"
#include "host/host_memory.h"
#include "host_test_support.h"
#include "platform/memory.h"

namespace rx {
namespace {

using HostMemory = testing::IsolatedCache;

bool allZero(const void* p, size_t n) {
    return std::string(static_cast<const char*>(p), n) == std::string(n, '\0');
}

TEST_F(HostMemory, ModuleHandlesAreZeroFilledAndFreedWhole) {
    // A module handle is two platform blocks: the master with its signature, and the data.
    Handle h = NewHandle(nullptr, 40);
    ASSERT_NE(h, nullptr);
    auto* m = reinterpret_cast<ModuleHandleBlock*>(h);
    EXPECT_EQ(m->signature, kModuleHandleSignature);
    char* data = *h;
    EXPECT_TRUE(allZero(data, 40));
    EXPECT_EQ(LockHandle(nullptr, h), data);
    UnlockHandle(nullptr, h);
    DisposeHandle(nullptr, h);
    EXPECT_EQ(platform::memoryFromPointer(data), nullptr);
    EXPECT_EQ(platform::memoryFromPointer(m), nullptr);
    EXPECT_EQ(NewHandle(nullptr, -1), nullptr);  // either block failing: the session test's
    platform::releaseLockedMemory(nullptr);      // harmless
}

TEST_F(HostMemory, SuiteTestsFollowVersionCountAndProcedures) {
    FilterRecord r{};
    EXPECT_FALSE(HostHandlesUsable(nullptr));
    EXPECT_FALSE(HostHandlesUsable(&r));
    EXPECT_FALSE(HostBuffersUsable(&r));
    MemoryHost host(HostImage::make(4, 4, 1));
    const FilterRecord& full = host.record();
    // Handles: version 1 with at least 7 procedures, set-size and lock among them. Buffers:
    // version 2 with at least 5, space among them.
    const struct {
        int16_t handleVersion, handleCount, bufferVersion, bufferCount;
        bool dropProc, usable;
    } cases[] = {{1, 7, 2, 5, false, true},
                 {1, 6, 2, 4, false, false},
                 {2, 8, 1, 8, false, false},
                 {1, 8, 2, 8, true, false}};
    for (const auto& c : cases) {
        HandleProcs hp = *full.handleProcs;
        BufferProcs bp = *full.bufferProcs;
        hp.handleProcsVersion = c.handleVersion;
        hp.numHandleProcs = c.handleCount;
        bp.bufferProcsVersion = c.bufferVersion;
        bp.numBufferProcs = c.bufferCount;
        if (c.dropProc) hp.setSizeProc = nullptr, bp.spaceProc = nullptr;
        r.handleProcs = &hp;
        r.bufferProcs = &bp;
        EXPECT_EQ(HostHandlesUsable(&r), c.usable) << c.handleVersion << " " << c.handleCount;
        EXPECT_EQ(HostBuffersUsable(&r), c.usable) << c.bufferVersion << " " << c.bufferCount;
    }
    HandleProcs hp = *full.handleProcs;
    hp.lockProc = nullptr;  // locking the session block needs it
    r.handleProcs = &hp;
    EXPECT_FALSE(HostHandlesUsable(&r));
}

TEST_F(HostMemory, WorkingBuffersPreferTheHostAndFallBackToModuleMemory) {
    struct Case {
        const char* what;
        bool bufferProcs;
        int failBuffersAfter;
        bool moduleMemoryFails, hostBuffer;
    } cases[] = {{"host buffers", true, -1, false, true},
                 {"allocation refused", true, 0, false, false},
                 {"no buffer procedures", false, -1, false, false},
                 {"neither host nor module memory", true, 0, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryHostOptions o;
        o.bufferProcs = c.bufferProcs;
        o.failBuffersAfter = c.failBuffersAfter;
        MemoryHost host(HostImage::make(4, 4, 1), o);
        MemoryHost::ActiveScope active(host);  // as during an entry call
        FilterSession s{};
        s.filterRecord = &host.record();
        BufferID id = reinterpret_cast<BufferID>(1);
        if (c.moduleMemoryFails) platform::failMemoryAfter(0);
        void* p = AllocateWorking(s, 1000, &id);
        platform::failMemoryAfter(-1);
        EXPECT_EQ(id != nullptr, c.hostBuffer);
        EXPECT_EQ(host.liveBuffers(), c.hostBuffer ? 1u : 0u);
        if (c.moduleMemoryFails) {
            EXPECT_EQ(p, nullptr);
            continue;
        }
        ASSERT_NE(p, nullptr);
        if (!c.hostBuffer) {
            EXPECT_TRUE(allZero(p, 1000));
        }
        std::memset(p, 0x5A, 1000);
        FreeWorking(s, &p, &id);
        EXPECT_TRUE(p == nullptr && id == nullptr);
        EXPECT_EQ(host.liveBuffers(), 0u);
    }
    BufferID none = nullptr;
    EXPECT_EQ(AllocateBuffer(nullptr, 10, &none), memFullErr);
    EXPECT_EQ(LockBuffer(nullptr, none, 1), nullptr);
}

}  // namespace
}  // namespace rx
