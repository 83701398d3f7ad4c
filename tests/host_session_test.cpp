// The entry point as a host drives it: session block, settings record, selectors, and
// the -108 paths.
#include <gtest/gtest.h>

#include <cstring>

#include "app/memory_host.h"
#include "host/session.h"
#include "host_test_support.h"
#include "platform/memory.h"

namespace rx {
namespace {

using HostSession = testing::IsolatedCache;

// The session block behind a `data` value: host handles and module handles both keep
// the data pointer in the handle's first word.
FilterSession* sessionOf(intptr_t data) {
    return data ? reinterpret_cast<FilterSession*>(*reinterpret_cast<Handle>(data)) : nullptr;
}

TEST_F(HostSession, AboutLeavesDataAndReportsSuccess) {
    // Hosts may pre-set the result code to a failure; about must overwrite it with 0.
    for (intptr_t data : {intptr_t(0), intptr_t(0x1234)}) {
        AboutRecord about{};
        intptr_t d = data;
        int16_t result = 77;
        ENTRYPOINT(filterSelectorAbout, &about, &d, &result);
        EXPECT_EQ(d, data);
        EXPECT_EQ(result, noErr);
    }
}

TEST_F(HostSession, SelectorsOutsideTheTableGiveBadParametersAndUnlock) {
    MemoryHost host(testing::patternImage(20, 10, 1));
    for (int16_t selector : {int16_t(6), int16_t(-1), int16_t(32767)}) {
        EXPECT_EQ(host.call(&ENTRYPOINT, selector), filterBadParameters) << selector;
        ASSERT_NE(host.sessionData(), 0);
        EXPECT_EQ(host.handleLocks(reinterpret_cast<Handle>(host.sessionData())), 0) << selector;
    }
    // The same session serves the valid selectors afterwards.
    intptr_t data = host.sessionData();
    EXPECT_EQ(host.call(&ENTRYPOINT, filterSelectorFinish), 0);
    EXPECT_EQ(host.sessionData(), data);
    EXPECT_EQ(host.handleLocks(reinterpret_cast<Handle>(data)), 0);
}

TEST_F(HostSession, EveryCallRefreshesResultAndRecordPointers) {
    // Module handles only (no handle procedures), so the test can call the entry point
    // with records and result codes of its own.
    FilterRecord a{}, b{};
    a.filterRect = b.filterRect = Rect{0, 0, 4, 6};
    a.planes = b.planes = 1;
    intptr_t data = 0;
    int16_t resultA = 5, resultB = 9;
    ENTRYPOINT(filterSelectorFinish, &a, &data, &resultA);
    ASSERT_EQ(resultA, 0);
    ASSERT_NE(data, 0);
    FilterSession* s = sessionOf(data);
    EXPECT_TRUE(s->result == &resultA && s->filterRecord == &a);
    ASSERT_TRUE(a.parameters != nullptr);  // packed fields: compared by value

    b.parameters = a.parameters;
    ENTRYPOINT(filterSelectorFinish, &b, &data, &resultB);
    EXPECT_EQ(resultB, 0);
    EXPECT_EQ(sessionOf(data), s);
    EXPECT_TRUE(s->result == &resultB && s->filterRecord == &b);
    EXPECT_TRUE(b.parameters == a.parameters);
}

TEST_F(HostSession, MemoryFailuresGiveMemFullErr) {
    // Host handles: the session block refused, then the settings record refused (a later
    // call recovers). Module handles: the session block's master or data block, then the
    // record's, fail.
    const struct {
        bool hostHandles;
        int failAfter;
        int16_t selector;
        bool session;
    } cases[] = {{true, 0, filterSelectorPrepare, false},
                 {true, 1, filterSelectorPrepare, true},
                 {false, 0, filterSelectorStart, false},
                 {false, 1, filterSelectorStart, false},
                 {false, 2, filterSelectorParameters, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.hostHandles << " " << c.failAfter);
        MemoryHostOptions o;
        o.handleProcs = c.hostHandles;
        if (c.hostHandles) o.failHandlesAfter = c.failAfter;
        MemoryHost host(testing::patternImage(21, 10, 1), o);
        host.setFilterRect(Rect{2, 3, 9, 18});
        if (!c.hostHandles) platform::failMemoryAfter(c.failAfter);
        EXPECT_EQ(host.call(&ENTRYPOINT, c.selector), memFullErr);
        platform::failMemoryAfter(-1);
        EXPECT_EQ(host.sessionData() != 0, c.session);
        EXPECT_EQ(host.parametersHandle(), nullptr);
        if (c.hostHandles) {
            EXPECT_EQ(host.liveHandles(), c.session ? 1u : 0u);
            if (c.session) {
                EXPECT_EQ(host.handleLocks(reinterpret_cast<Handle>(host.sessionData())), 0);
            }
        }
        // Then the first prepare that succeeds makes the record: the default settings (whose
        // values the golden pictures guard), a fresh record's state (preview scale 1, auto
        // preview on, the rest zero), the sun in the middle of the filter rectangle.
        host.options().failHandlesAfter = -1;
        ASSERT_EQ(host.call(&ENTRYPOINT, filterSelectorPrepare), 0);
        SunParameters fresh = testing::defaults();
        EXPECT_TRUE(fresh.previewScale == 1 && fresh.autoPreview == 1 && !fresh.presetName[0] &&
                    !fresh.presetFolder[0] && !fresh.dialogPending && !fresh.previewRendering &&
                    !fresh.hostPreview);
        fresh.sunCenterX = (18 - 3) / 2, fresh.sunCenterY = (9 - 2) / 2;
        EXPECT_EQ(std::memcmp(host.parameters(), &fresh, sizeof fresh), 0);
    }
}

}  // namespace
}  // namespace rx
