// Hosts as they really are (docs/hosts.md): each quirk of the in-memory host against the
// stored golden picture, the dialog (the native module's no-op dialog writes the cache
// file on OK, so the file shows that it ran) and the handles the host had to make.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "app/memory_host.h"
#include "golden/golden_render.h"
#include "host/session.h"
#include "host_test_support.h"
#include "settings/cache_file.h"

namespace rx {
namespace {

using HostQuirks = testing::IsolatedCache;
using Sent = MemoryHostOptions::ParametersSelector;

TEST_F(HostQuirks, EachQuirkRendersTheGoldenPictureShowsTheDialogWhenAskedAndBoundsHandles) {
    const golden::GoldenCase c = golden::goldenMatrix().front();
    const std::string expected = golden::storedHashes()[c.name];
    ASSERT_TRUE(c.name == "defaults_rgb" && !expected.empty());
    const struct {
        const char* name;
        std::function<void(MemoryHostOptions&)> set;
    } quirks[] = {
        {"getSizeProc answers 0", [](MemoryHostOptions& o) { o.sizeAnswersZero = true; }},
        {"no getSizeProc", [](MemoryHostOptions& o) { o.sizeProc = false; }},
        {"parameters not kept", [](MemoryHostOptions& o) { o.keepParameters = false; }},
        {"new session every run", [](MemoryHostOptions& o) { o.keepSession = false; }},
        {"parameters selector never sent",
         [](MemoryHostOptions& o) { o.parametersSelector = Sent::Never; }},
        {"parameters selector on every run",
         [](MemoryHostOptions& o) { o.parametersSelector = Sent::EveryRun; }},
        {"filterRect changed after prepare",
         [](MemoryHostOptions& o) {
             o.moveFilterRectAfterPrepare = true;
             o.filterRectAfterPrepare = Rect{3, 4, 20, 30};
         }},
        {"dispose frees nothing", [](MemoryHostOptions& o) { o.disposeFreesNothing = true; }},
        {"result code pre-set", [](MemoryHostOptions& o) { o.resultBeforeCall = -1; }},
        {"no advanceState", [](MemoryHostOptions& o) { o.advanceState = false; }},
        {"like pspiHost",
         [](MemoryHostOptions& o) {
             o.sizeAnswersZero = o.disposeFreesNothing = true;
             o.keepParameters = o.keepSession = false;
             o.parametersSelector = Sent::EveryRun;
             o.resultBeforeCall = 1;
         }},
    };
    constexpr int kRuns = 100;
    for (const auto& q : quirks) {
        SCOPED_TRACE(q.name);
        MemoryHostOptions o;
        q.set(o);
        const Sent sent = o.parametersSelector;
        MemoryHost host(HostImage::make(c.width, c.height, c.planes), o);
        const std::vector<uint8_t> source = golden::goldenPixels(c);
        for (int run = 0; run < kRuns; ++run) {
            host.image().pixels = source;
            const bool asked = run % 3 == 1;
            const bool dialogExpected =
                sent == Sent::EveryRun || (sent == Sent::WhenAsked && asked);
            ASSERT_EQ(host.runFilter(&ENTRYPOINT, asked), 0) << run;
            ASSERT_EQ(std::filesystem::remove(cacheFilePath()), dialogExpected) << run;
            if (run < 3 || run == kRuns - 1) {
                ASSERT_EQ(golden::goldenHash(host.image().pixels), expected) << run;
            }
        }
        // A handle for the session block and one for the record, again only for what the
        // host itself drops between runs.
        const int bound = (o.keepSession ? 1 : kRuns) + (o.keepParameters ? 1 : kRuns);
        EXPECT_LE(host.handlesAllocated(), bound);
        EXPECT_EQ(host.liveBuffers(), 0u);  // the lens table went back every run
        EXPECT_EQ(host.handleLocks(reinterpret_cast<Handle>(host.sessionData())), 0);
    }
}

TEST_F(HostQuirks, HostThatCannotTellSizesKeepsOneRecordWithItsSettings) {
    // The record made in the first call must serve every later call and run: the dialog
    // flag of parameters reaches start, the centre of prepare reaches the render. Also on a
    // host without the quirk, which tells the record by its size.
    for (int kind : {0, 1, 2}) {
        SCOPED_TRACE(kind == 0 ? "sizes told" : kind == 1 ? "getSizeProc answers 0" : "none");
        MemoryHostOptions o;
        o.sizeAnswersZero = kind > 0;
        o.sizeProc = kind < 2;
        MemoryHost host(HostImage::make(61, 40, 3), o);
        ASSERT_EQ(host.call(&ENTRYPOINT, filterSelectorParameters), 0);
        Handle record = host.parametersHandle();
        ASSERT_NE(record, nullptr);
        auto* p = static_cast<SunParameters*>(host.parameters());
        p->sunRadius = 71;  // a setting the user chose
        ASSERT_EQ(host.call(&ENTRYPOINT, filterSelectorPrepare), 0);
        EXPECT_EQ(host.parametersHandle(), record);
        EXPECT_TRUE(p->dialogPending == 1 && p->sunCenterX == 30 && p->sunCenterY == 20);
        ASSERT_EQ(host.runFilter(&ENTRYPOINT, true), 0);
        // The dialog ran; its cache file goes, so that only the record can keep the radius.
        EXPECT_TRUE(std::filesystem::remove(cacheFilePath()));
        // The record handed back to a new session keeps its settings; prepare centres the
        // sun again and the preview starts at the fit scale.
        std::strcpy(p->presetName, "dawn.q4q");
        p->sunCenterX = p->sunCenterY = p->previewScale = 4;
        host.newSession();
        ASSERT_EQ(host.runFilter(&ENTRYPOINT), 0);
        EXPECT_EQ(host.parametersHandle(), record);
        p = static_cast<SunParameters*>(host.parameters());
        EXPECT_TRUE(p->sunRadius == 71 && p->sunCenterX == 30 && p->previewScale == 1);
        EXPECT_STREQ(p->presetName, "dawn.q4q");
        EXPECT_EQ(host.liveHandles(), o.sizeProc ? 3u : 0u);  // two session blocks, one record
    }
}

TEST_F(HostQuirks, ForeignOrTooSmallRecordsAreReplacedWithoutReadingPastTheirEnd) {
    struct Case {
        const char* what;
        bool sizeKnown;
        int32_t size;
        bool stamp;  // the module's signature and size words in the first 8 bytes
    };
    const Case cases[] = {
        {"reported too small, signed", true, 8, true},
        {"reported large, not signed", true, int32_t(sizeof(SunParameters)), false},
        {"size unknown, not signed", false, int32_t(sizeof(SunParameters)), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryHostOptions o;
        o.sizeAnswersZero = !c.sizeKnown;
        MemoryHost host(HostImage::make(20, 10, 1), o);
        ASSERT_EQ(host.call(&ENTRYPOINT, filterSelectorFinish), 0);
        Handle old = host.parametersHandle();
        static_cast<SunParameters*>(host.parameters())->sunRadius = 99;
        if (!c.stamp) static_cast<SunParameters*>(host.parameters())->signature = 0;
        ASSERT_TRUE(host.resizeHandle(old, c.size));
        ASSERT_EQ(host.call(&ENTRYPOINT, filterSelectorPrepare), 0);
        auto* p = static_cast<SunParameters*>(host.parameters());
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->sunRadius, 20);
        EXPECT_EQ(p->presetName[kPresetNameSize - 1], '\0');  // the whole new record is there
        EXPECT_EQ(host.liveHandles(), 2u);  // the old record went back to the host
    }
}

}  // namespace
}  // namespace rx
