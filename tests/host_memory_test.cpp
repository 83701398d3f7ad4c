// The module's memory procedures (host suites, module handles, working buffers), the
// platform's moveable memory, and the in-memory host serving a small test filter.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/memory_host.h"
#include "host/host_memory.h"
#include "host_test_support.h"
#include "platform/memory.h"

namespace rx {
namespace {

using HostMemory = testing::IsolatedCache;

bool allZero(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i)
        if (b[i]) return false;
    return true;
}

TEST_F(HostMemory, PlatformBlocksAreZeroFilledAndFoundFromTheirPointer) {
    platform::MemoryBlock b = platform::allocateMemory(100);
    ASSERT_NE(b, nullptr);
    void* p = platform::lockMemory(b);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(allZero(p, 100));
    EXPECT_EQ(platform::memoryFromPointer(p), b);
    platform::unlockMemory(b);
    platform::freeMemory(b);
    EXPECT_EQ(platform::memoryFromPointer(p), nullptr);

    platform::failMemoryAfter(1);
    void* first = platform::allocateLockedMemory(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(platform::allocateLockedMemory(8), nullptr);
    platform::failMemoryAfter(-1);
    platform::releaseLockedMemory(first);
    platform::releaseLockedMemory(nullptr);  // harmless
}

TEST_F(HostMemory, ModuleHandlesAreTwoLevelAndDisposeBothBlocks) {
    Handle h = NewHandle(nullptr, 40);
    ASSERT_NE(h, nullptr);
    auto* m = reinterpret_cast<ModuleHandleBlock*>(h);
    EXPECT_EQ(m->signature, kModuleHandleSignature);
    char* data = *h;
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(allZero(data, 40));
    EXPECT_EQ(LockHandle(nullptr, h), data);
    UnlockHandle(nullptr, h);
    EXPECT_NE(platform::memoryFromPointer(data), nullptr);
    DisposeHandle(nullptr, h);
    EXPECT_EQ(platform::memoryFromPointer(data), nullptr);
    EXPECT_EQ(platform::memoryFromPointer(m), nullptr);

    // Either block failing gives no handle and leaves nothing behind.
    for (int successes : {0, 1}) {
        platform::failMemoryAfter(successes);
        EXPECT_EQ(NewHandle(nullptr, 40), nullptr);
        platform::failMemoryAfter(-1);
    }
    EXPECT_EQ(NewHandle(nullptr, -1), nullptr);
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

// Runs `body` with `host` as the active host, as during an entry call.
template <typename F>
void insideHost(MemoryHost& host, F body) {
    static F* current;
    current = &body;
    host.call(
        [](int16_t, void*, intptr_t*, int16_t* result) {
            (*current)();
            *result = 0;
        },
        filterSelectorFinish);
}

TEST_F(HostMemory, WorkingBuffersPreferTheHostAndFallBackToModuleMemory) {
    MemoryHostOptions withFailure;
    withFailure.failBuffersAfter = 0;
    MemoryHostOptions without;
    without.bufferProcs = false;
    struct Case {
        const char* what;
        MemoryHostOptions options;
        bool hostBuffer;
    } cases[] = {{"host buffers", {}, true},
                 {"allocation refused", withFailure, false},
                 {"no buffer procedures", without, false}};
    for (const Case& c : cases) {
        MemoryHost host(HostImage::make(4, 4, 1), c.options);
        insideHost(host, [&] {
            FilterSession s{};
            s.filterRecord = &host.record();
            BufferID id = reinterpret_cast<BufferID>(1);
            void* p = AllocateWorking(s, 1000, &id);
            ASSERT_NE(p, nullptr) << c.what;
            EXPECT_EQ(id != nullptr, c.hostBuffer) << c.what;
            EXPECT_EQ(host.liveBuffers(), c.hostBuffer ? 1u : 0u) << c.what;
            if (!c.hostBuffer) {
                EXPECT_TRUE(allZero(p, 1000)) << c.what;
            }
            std::memset(p, 0x5A, 1000);
            FreeWorking(s, &p, &id);
            EXPECT_EQ(p, nullptr);
            EXPECT_EQ(id, nullptr);
            EXPECT_EQ(host.liveBuffers(), 0u) << c.what;
        });
    }
    // Neither host nor module memory: null, identifier cleared.
    MemoryHostOptions o;
    o.failBuffersAfter = 0;
    MemoryHost host(HostImage::make(4, 4, 1), o);
    insideHost(host, [&] {
        FilterSession s{};
        s.filterRecord = &host.record();
        BufferID id = nullptr;
        platform::failMemoryAfter(0);
        EXPECT_EQ(AllocateWorking(s, 1000, &id), nullptr);
        platform::failMemoryAfter(-1);
        EXPECT_EQ(id, nullptr);
        BufferID none = nullptr;
        EXPECT_EQ(AllocateBuffer(nullptr, 10, &none), memFullErr);
        EXPECT_EQ(LockBuffer(nullptr, none, 1), nullptr);
    });
}

// [SECTION] The in-memory host serving a small test filter

// Inverts the filter rectangle `bandRows` rows at a time. Its input rectangle reaches
// `margin` pixels beyond the output band on every side, so requests cross the image edge.
struct InvertFilter {
    static inline int bandRows = 2;
    static inline int margin = 0;
    static inline int16_t padding = -1;
    static inline int16_t lo = 0, hi = -1;  // hi < 0: all planes
    static inline int row = 0;
    static inline std::vector<uint8_t> firstInput;  // inData of the first band, as delivered

    static void request(FilterRecord& r) {
        const Rect& f = r.filterRect;
        int16_t top = int16_t(f.top + row);
        int16_t bottom = int16_t(std::min<int>(top + bandRows, f.bottom));
        r.outRect = Rect{top, f.left, bottom, f.right};
        r.inRect = Rect{int16_t(top - margin), int16_t(f.left - margin), int16_t(bottom + margin),
                        int16_t(f.right + margin)};
        r.maskRect = r.haveMask ? r.outRect : Rect{0, 0, 0, 0};
        r.inLoPlane = r.outLoPlane = lo;
        r.inHiPlane = r.outHiPlane = hi < 0 ? int16_t(r.planes - 1) : hi;
        r.inputPadding = r.outputPadding = r.maskPadding = padding;
    }
    static void RX_CDECL entry(int16_t selector, void* record, intptr_t*, int16_t* result) {
        FilterRecord& r = *static_cast<FilterRecord*>(record);
        *result = 0;
        if (selector == filterSelectorStart) {
            row = 0;
            firstInput.clear();
            request(r);
        } else if (selector == filterSelectorContinue) {
            if (!r.inData || !r.outData) {
                *result = memFullErr;
                return;
            }
            const int n = r.outHiPlane - r.outLoPlane + 1;
            const int w = r.outRect.right - r.outRect.left;
            const int h = r.outRect.bottom - r.outRect.top;
            const auto* in = static_cast<const uint8_t*>(r.inData);
            if (firstInput.empty())
                firstInput.assign(in, in + size_t(r.inRowBytes) * (h + 2 * margin));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w * n; ++x)
                    static_cast<uint8_t*>(r.outData)[y * r.outRowBytes + x] =
                        uint8_t(255 - in[(y + margin) * r.inRowBytes + margin * n + x]);
            if (r.progressProc) r.progressProc(row, r.filterRect.bottom - r.filterRect.top);
            row += bandRows;
            if (r.filterRect.top + row >= r.filterRect.bottom) {
                r.inRect = r.outRect = r.maskRect = Rect{0, 0, 0, 0};
                return;
            }
            request(r);
        } else {
            return;
        }
        if (r.advanceState) *result = r.advanceState();
    }
};

HostImage rgbaPattern() {
    HostImage img = HostImage::make(7, 5, 3, true);
    for (size_t i = 0; i < img.pixels.size(); ++i) img.pixels[i] = uint8_t(i * 13 + 1);
    return img;
}

class MemoryHostServes : public HostMemory {
protected:
    void SetUp() override {
        HostMemory::SetUp();
        InvertFilter::bandRows = 2;
        InvertFilter::margin = 0;
        InvertFilter::padding = -1;
        InvertFilter::lo = 0;
        InvertFilter::hi = -1;
    }
};

TEST_F(MemoryHostServes, BandsWithAndWithoutAdvanceStateAndPaddedRows) {
    const HostImage original = rgbaPattern();
    for (bool advance : {true, false}) {
        for (int32_t rowPadding : {0, 5}) {
            MemoryHostOptions o;
            o.advanceState = advance;
            o.rowPadding = rowPadding;
            MemoryHost host(original, o);
            host.setFilterRect(Rect{1, 2, 5, 6});
            ASSERT_EQ(host.runFilter(&InvertFilter::entry), 0);
            EXPECT_EQ(host.record().planes, 3);
            EXPECT_EQ(host.advanceStateCalls() > 0, advance);
            EXPECT_EQ(host.continueCalls(), 2);
            ASSERT_EQ(host.progressCalls().size(), 2u);
            EXPECT_EQ(host.progressCalls()[1].done, 2);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 7; ++x)
                    for (int p = 0; p < 4; ++p) {
                        bool inside = y >= 1 && y < 5 && x >= 2 && x < 6 && p < 3;
                        uint8_t was = original.at(x, y)[p];
                        EXPECT_EQ(host.image().at(x, y)[p], inside ? 255 - was : was)
                            << "advance " << advance << " at " << x << "," << y << " plane " << p;
                    }
        }
    }
}

TEST_F(MemoryHostServes, PaddingOutsideTheImage) {
    const HostImage original = rgbaPattern();
    InvertFilter::margin = 1;
    InvertFilter::bandRows = 5;
    {  // edge replication: the corner outside is the image's corner pixel
        MemoryHost host(original);
        ASSERT_EQ(host.runFilter(&InvertFilter::entry), 0);
        const auto& in = InvertFilter::firstInput;
        ASSERT_FALSE(in.empty());
        EXPECT_EQ(in[0], original.at(0, 0)[0]);
        EXPECT_EQ(in[2], original.at(0, 0)[2]);
        EXPECT_EQ(in[3], original.at(0, 0)[0]);  // (1, 0) outside the top edge
        EXPECT_EQ(host.image().at(3, 2)[1], 255 - original.at(3, 2)[1]);
    }
    {  // a constant
        InvertFilter::padding = 9;
        MemoryHost host(original);
        ASSERT_EQ(host.runFilter(&InvertFilter::entry), 0);
        EXPECT_EQ(InvertFilter::firstInput[0], 9);
        EXPECT_EQ(InvertFilter::firstInput[3 * 9 - 1], 9);
    }
    {  // out of bounds is an error when the module says so; nothing is written back
        InvertFilter::padding = -3;
        MemoryHost host(original);
        EXPECT_EQ(host.runFilter(&InvertFilter::entry), -50);
        EXPECT_EQ(host.image().pixels, original.pixels);
    }
}

TEST_F(MemoryHostServes, PlanesAlphaAndMask) {
    HostImage original = rgbaPattern();
    {  // one plane only; alpha hidden
        InvertFilter::lo = InvertFilter::hi = 1;
        MemoryHost host(original);
        ASSERT_EQ(host.runFilter(&InvertFilter::entry), 0);
        EXPECT_EQ(host.image().at(4, 4)[0], original.at(4, 4)[0]);
        EXPECT_EQ(host.image().at(4, 4)[1], 255 - original.at(4, 4)[1]);
        EXPECT_EQ(host.image().at(4, 4)[3], original.at(4, 4)[3]);
        InvertFilter::lo = 0;
        InvertFilter::hi = 3;  // the alpha plane is not offered
        MemoryHost refused(original);
        EXPECT_EQ(refused.runFilter(&InvertFilter::entry), -50);
        InvertFilter::hi = -1;
    }
    {  // alpha exposed as a fourth plane
        MemoryHostOptions o;
        o.exposeAlpha = true;
        MemoryHost host(original, o);
        EXPECT_EQ(host.record().planes, 4);
        ASSERT_EQ(host.runFilter(&InvertFilter::entry), 0);
        EXPECT_EQ(host.image().at(0, 0)[3], 255 - original.at(0, 0)[3]);
    }
    {  // a selection: the host masks the output while autoMask stays set
        original.mask.assign(size_t(original.width) * original.height, 0);
        original.mask[size_t(2) * original.width + 3] = 255;
        original.mask[size_t(2) * original.width + 4] = 128;
        MemoryHost host(original);
        EXPECT_EQ(host.record().haveMask, 1);
        EXPECT_EQ(host.record().filterCase, 2);
        ASSERT_EQ(host.runFilter(&InvertFilter::entry), 0);
        EXPECT_EQ(host.image().at(3, 2)[0], 255 - original.at(3, 2)[0]);
        EXPECT_EQ(host.image().at(0, 0)[0], original.at(0, 0)[0]);
        int s = original.at(4, 2)[0], v = 255 - s;
        EXPECT_NEAR(host.image().at(4, 2)[0], s + (v - s) * 128 / 255.0, 1.0);
    }
}

TEST_F(MemoryHostServes, AbortAndProgressCallbacksReachTheUser) {
    MemoryHost host(rgbaPattern());
    int polls = 0;
    std::vector<int32_t> done;
    host.onAbort = [&] { return ++polls > 1; };
    host.onProgress = [&](int32_t d, int32_t) { done.push_back(d); };
    insideHost(host, [&] {
        FilterRecord& r = host.record();
        EXPECT_EQ(r.abortProc(), 0);
        EXPECT_EQ(r.abortProc(), 1);
        r.progressProc(3, 9);
    });
    EXPECT_EQ(host.abortPolls(), 2);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], 3);
    MemoryHostOptions o;
    o.abortProc = o.progressProc = o.displayPixels = o.colorServices = false;
    MemoryHost bare(rgbaPattern(), o);
    const FilterRecord& r = bare.record();  // packed fields: compared by value
    EXPECT_TRUE(r.abortProc == nullptr && r.progressProc == nullptr);
    EXPECT_TRUE(r.displayPixels == nullptr && r.colorServices == nullptr);
}

}  // namespace
}  // namespace rx
