// The band loop as a host sees it (through the in-memory host and the entry point) and
// step by step on a hand-built record: progress, aborts, failures, mask bands.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/memory_host.h"
#include "host/band_loop.h"
#include "host/render_run.h"
#include "host/session.h"
#include "host_test_support.h"

namespace rx {
namespace {

using testing::patternImage;

TEST(BandLoop, BandsAsTheHostsMemoryAllowsWithProgressPerBand) {
    // 7 x 300 RGB: a row of input and output is 42 bytes and the module's buffers take
    // 4 · (3 · 7 + 2184) + 1128 = 9948; half of maxSpace less that, over 42, rows a band.
    // One-row and one-column rectangles come in one band.
    struct Case {
        int32_t w, h, maxSpace, rows;
    };
    for (Case c :
         {Case{7, 300, 0, 1}, Case{7, 300, 2 * (64 * 42 + 9948), 64}, Case{7, 300, 256 << 20, 300},
          Case{40, 1, 256 << 20, 1}, Case{1, 40, 256 << 20, 40}}) {
        SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h << ", maxSpace " << c.maxSpace);
        MemoryHost host(patternImage(c.w, c.h, 3));
        host.record().maxSpace = c.maxSpace;
        ASSERT_EQ(host.runFilter(&ENTRYPOINT), 0);
        const int32_t bands = (c.h + c.rows - 1) / c.rows;
        EXPECT_EQ(host.continueCalls(), bands);
        ASSERT_EQ(host.progressCalls().size(), size_t(bands));
        for (int32_t k = 0; k < bands; ++k) {
            ASSERT_EQ(host.progressCalls()[k].done, k * c.rows);
            ASSERT_EQ(host.progressCalls()[k].total, c.h + 1);
        }
        EXPECT_EQ(host.liveBuffers(), 0u);
        const FilterRecord& r = host.record();
        EXPECT_EQ(r.inRect.bottom - r.inRect.top, 0);
        EXPECT_EQ(r.outRect.right - r.outRect.left, 0);
    }
}

TEST(BandLoop, SameBytesForAnyThreadCountAndBandHeight) {
    // Odd sizes, grey and RGB, with and without a selection; the default sun reaches the
    // edges with its halo, spikes and swirled core.
    struct Image {
        int32_t w, h, planes;
        bool mask;
    };
    for (Image im : {Image{97, 61, 3, true}, Image{131, 45, 1, false}, Image{53, 77, 3, false},
                     Image{75, 33, 1, true}}) {
        HostImage source = patternImage(im.w, im.h, im.planes);
        if (im.mask) {
            source.mask.resize(size_t(im.w) * im.h);
            for (size_t i = 0; i < source.mask.size(); ++i) source.mask[i] = uint8_t(i * 7);
        }
        std::vector<uint8_t> first;
        for (const char* threads : {"1", "2", "3", "8"})
            for (const char* rows : {"1", "7", "64"}) {
                ::setenv("RADIANTIX_THREADS", threads, 1);
                ::setenv("RADIANTIX_BAND_ROWS", rows, 1);
                MemoryHost host(source);
                ASSERT_EQ(host.runFilter(&ENTRYPOINT), 0);
                if (first.empty()) first = host.image().pixels;
                EXPECT_EQ(host.image().pixels, first)
                    << im.w << " x " << im.h << ", " << threads << " threads, bands of " << rows;
            }
        ::unsetenv("RADIANTIX_THREADS");
        ::unsetenv("RADIANTIX_BAND_ROWS");
        EXPECT_NE(first, source.pixels);
    }
}

TEST(BandLoop, AbortAfterRowKEndsCleanlyAndLeavesLaterRows) {
    for (int32_t k : {1, 5, 29}) {
        const HostImage original = patternImage(16, 30, 3);
        MemoryHost host(original);
        host.record().maxSpace = 0;  // one row a band, so one abort poll a row
        int polls = 0;
        host.onAbort = [&] { return ++polls == k; };
        EXPECT_EQ(host.runFilter(&ENTRYPOINT), 1);
        EXPECT_EQ(host.continueCalls(), k);
        EXPECT_EQ(host.liveBuffers(), 0u);
        // Rows 0..k-1 were composited (the sun reaches them at these sizes); later rows
        // are the source.
        const size_t kept = size_t(k) * 16 * 3;
        EXPECT_TRUE(std::equal(original.pixels.begin() + kept, original.pixels.end(),
                               host.image().pixels.begin() + kept));
    }
}

int16_t gAdvanceResults[8];
int gAdvanceCalls = 0;
OSErr RX_CDECL scriptedAdvance() {
    const int i = gAdvanceCalls++;
    return i < 8 ? gAdvanceResults[i] : 0;
}

// A hand-built RGB session for a w x h filter rectangle at (5, 10), prepared; start makes
// the settings record and obtains the lens buffer.
struct LoopRig {
    std::unique_ptr<SunParameters> params{new SunParameters()};  // zero-filled
    char* paramsPointer = nullptr;
    std::unique_ptr<WorkBuffer> work{new WorkBuffer()};
    FilterRecord rec{};
    FilterSession session{};
    int16_t result = 0;
    int32_t width;
    std::vector<uint8_t> in, out;

    LoopRig(int32_t w, int32_t h) : width(w) {
        paramsPointer = reinterpret_cast<char*>(params.get());
        rec.parameters = &paramsPointer;
        rec.planes = 3;
        rec.filterRect = Rect{10, 5, int16_t(10 + h), int16_t(5 + w)};
        session.result = &result;
        session.filterRecord = &rec;
        session.workBuffer = work.get();
        session.savedFilterRect = rec.filterRect;
        in.assign(size_t(w) * h * 3, 0);
        out.assign(in.size(), 0);
        PrepareBands(session);
    }
};

TEST(BandLoop, RowRequestsAllPlanesAndMaskRowsAroundTheRowCutToTheRect) {
    LoopRig rig(12, 10);  // filter rows 10..19
    rig.rec.haveMask = 1;
    rig.rec.planes = 4;
    struct Case {
        int32_t row, maskTop, maskBottom;
    };
    for (Case c : {Case{0, 10, 12}, Case{1, 10, 13}, Case{5, 13, 17}, Case{9, 17, 20},
                   Case{-3, 10, 12}, Case{40, 17, 20}}) {
        rig.session.nextRow = c.row;
        RequestRow(rig.session);
        SCOPED_TRACE(c.row);
        const int32_t r = c.row < 0 ? 0 : (c.row > 9 ? 9 : c.row);
        const Rect& in = rig.rec.inRect;
        const Rect& out = rig.rec.outRect;
        EXPECT_TRUE(in.top == 10 + r && in.bottom == 11 + r && out.left == 5 && out.right == 17);
        EXPECT_EQ(rig.rec.maskRect.top, c.maskTop);
        EXPECT_EQ(rig.rec.maskRect.bottom, c.maskBottom);
        EXPECT_EQ(rig.session.maskBandTop, c.maskTop - 10);
    }
    EXPECT_TRUE(rig.rec.inHiPlane == 3 && rig.rec.outHiPlane == 3 && rig.rec.maskPadding == -1);
    EXPECT_EQ(rig.rec.inputRate, 0x10000);

    LoopRig one(12, 1);
    one.rec.haveMask = 1;
    one.session.nextRow = 0;
    RequestRow(one.session);
    EXPECT_TRUE(one.rec.maskRect.top == 10 && one.rec.maskRect.bottom == 11);
    one.rec.haveMask = 0;
    RequestRow(one.session);
    EXPECT_EQ(one.rec.maskRect.top, one.rec.maskRect.bottom);  // no mask: an empty band
    // A tall narrow image: the lens table reaches the longer side.
    EXPECT_EQ(LoopRig(2, 5000).session.lensCapacity, 5004);
}

// Runs start and continue with the rig standing in for a host that delivers one row at a
// time; returns the number of rows composited.
int drive(LoopRig& rig) {
    StartRun(rig.session);
    int rows = 0;
    while (rig.result == 0 && rig.rec.outRect.bottom > rig.rec.outRect.top) {
        const int32_t y = rig.rec.outRect.top - rig.rec.filterRect.top;
        rig.rec.inData = &rig.in[size_t(y) * rig.width * 3];
        rig.rec.outData = &rig.out[size_t(y) * rig.width * 3];
        ContinueRun(rig.session);
        ++rows;
    }
    return rows;
}

// A run ended early has released the lens buffer and asks for no more data.
void expectEnded(const LoopRig& rig, int16_t result) {
    EXPECT_EQ(rig.result, result);
    EXPECT_EQ(rig.session.lensTable, nullptr);
    EXPECT_TRUE(rig.rec.inRect.bottom == 0 && rig.rec.outRect.right == 0 &&
                rig.rec.maskRect.right == 0);
}

TEST(BandLoop, AdvanceStateFailureOrNoInputEndsTheRunWithItsCode) {
    // Start's advance, then rows 0, 1; the fourth fails. A failure at start's own advance
    // ends the run there.
    for (int failing : {3, 0}) {
        LoopRig rig(8, 6);
        rig.rec.advanceState = scriptedAdvance;
        gAdvanceCalls = 0;
        std::fill(std::begin(gAdvanceResults), std::end(gAdvanceResults), int16_t(0));
        gAdvanceResults[failing] = int16_t(-1234 + failing);
        EXPECT_EQ(drive(rig), failing);
        expectEnded(rig, int16_t(-1234 + failing));
    }
    // A host that hands no input: memFullErr.
    LoopRig rig(8, 6);
    StartRun(rig.session);
    ASSERT_EQ(rig.result, 0);
    ASSERT_NE(rig.session.lensTable, nullptr);
    rig.rec.inData = nullptr;
    rig.rec.outData = rig.out.data();
    ContinueRun(rig.session);
    expectEnded(rig, memFullErr);
    EXPECT_EQ(rig.session.busy, 0);
}

TEST(BandLoop, ThreadsOfARunTheHostDropsEndAtTheNextStartAtFinishAndAtUnload) {
    ::setenv("RADIANTIX_THREADS", "3", 1);
    LoopRig rig(8, 6);
    StartRun(rig.session);
    ASSERT_EQ(rig.result, 0);
    ASSERT_EQ(liveRenderRunCount(), 1);
    EXPECT_EQ(rig.session.renderRun->threads(), 3);
    // The host starts again without ending the first run: still one run.
    StartRun(rig.session);
    EXPECT_EQ(liveRenderRunCount(), 1);
    HandleFinish(rig.session);
    EXPECT_EQ(liveRenderRunCount(), 0);
    EXPECT_EQ(rig.session.renderRun, nullptr);
    // Unloaded with a run open: the session keeps an address the module no longer knows.
    StartRun(rig.session);
    endAllRenderRuns();
    EXPECT_EQ(liveRenderRunCount(), 0);
    StartRun(rig.session);
    EXPECT_EQ(liveRenderRunCount(), 1);
    EndRun(rig.session);
    EXPECT_EQ(liveRenderRunCount(), 0);
    ::unsetenv("RADIANTIX_THREADS");
}

}  // namespace
}  // namespace rx
