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

TEST_F(HostMemory, PlatformBlocksAndModuleHandlesAreZeroFilledAndFreedWhole) {
    platform::MemoryBlock b = platform::allocateMemory(100);
    void* p = platform::lockMemory(b);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(allZero(p, 100));
    EXPECT_EQ(platform::memoryFromPointer(p), b);
    platform::unlockMemory(b);
    platform::freeMemory(b);
    EXPECT_EQ(platform::memoryFromPointer(p), nullptr);
    platform::releaseLockedMemory(nullptr);  // harmless

    // A module handle is two blocks: the master with its signature, and the data.
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
        MemoryHostOptions o;
        o.bufferProcs = c.bufferProcs;
        o.failBuffersAfter = c.failBuffersAfter;
        MemoryHost host(HostImage::make(4, 4, 1), o);
        insideHost(host, [&] {
            FilterSession s{};
            s.filterRecord = &host.record();
            BufferID id = reinterpret_cast<BufferID>(1);
            if (c.moduleMemoryFails) platform::failMemoryAfter(0);
            void* p = AllocateWorking(s, 1000, &id);
            platform::failMemoryAfter(-1);
            EXPECT_EQ(id != nullptr, c.hostBuffer) << c.what;
            EXPECT_EQ(host.liveBuffers(), c.hostBuffer ? 1u : 0u) << c.what;
            if (c.moduleMemoryFails) {
                EXPECT_EQ(p, nullptr);
                return;
            }
            ASSERT_NE(p, nullptr) << c.what;
            if (!c.hostBuffer) {
                EXPECT_TRUE(allZero(p, 1000)) << c.what;
            }
            std::memset(p, 0x5A, 1000);
            FreeWorking(s, &p, &id);
            EXPECT_TRUE(p == nullptr && id == nullptr) << c.what;
            EXPECT_EQ(host.liveBuffers(), 0u) << c.what;
        });
    }
    BufferID none = nullptr;
    EXPECT_EQ(AllocateBuffer(nullptr, 10, &none), memFullErr);
    EXPECT_EQ(LockBuffer(nullptr, none, 1), nullptr);
}

// [SECTION] The in-memory host serving a small test filter: what the command line's host
// does that our module never asks for (plane subsets, input beyond the image, padded rows).

// Inverts the filter rectangle `bandRows` rows at a time. Its input rectangle reaches
// `margin` pixels beyond the output band on every side, so requests cross the image edge.
struct InvertFilter {
    static inline int bandRows, margin;
    static inline int16_t padding, lo, hi;  // hi < 0: all planes
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
        *result = r.advanceState();
    }
};

TEST_F(HostMemory, ServesBandsPlanesPaddingAndTheSelection) {
    HostImage original = HostImage::make(7, 5, 3, true);
    for (size_t i = 0; i < original.pixels.size(); ++i) original.pixels[i] = uint8_t(i * 13 + 1);
    HostImage masked = original;
    masked.mask.assign(size_t(7) * 5, 0);
    masked.mask[size_t(2) * 7 + 3] = 255;
    masked.mask[size_t(2) * 7 + 4] = 128;
    const Rect whole{0, 0, 5, 7};
    struct Case {
        const char* what;
        Rect rect;
        int bandRows, margin;
        int16_t padding, lo, hi;  // the planes the filter asks for (hi -1: all)
        bool exposeAlpha, mask;
        int32_t rowPadding;
        int16_t result;
        int inverted;  // planes [0, inverted) of the rectangle; a bitmask below 0
    } cases[] = {
        {"bands in a rectangle, padded rows", Rect{1, 2, 5, 6}, 2, 0, -1, 0, -1, false, false, 5, 0,
         3},
        {"edge replicated", whole, 5, 1, -1, 0, -1, false, false, 0, 0, 3},
        {"constant padding", whole, 5, 1, 9, 0, -1, false, false, 0, 0, 3},
        {"out of bounds refused", whole, 5, 1, -3, 0, -1, false, false, 0, -50, 0},
        {"one plane, alpha hidden", whole, 2, 0, -1, 1, 1, false, false, 0, 0, -2},
        {"alpha not offered", whole, 2, 0, -1, 0, 3, false, false, 0, -50, 0},
        {"alpha exposed", whole, 2, 0, -1, 0, -1, true, false, 0, 0, 4},
        {"selection", whole, 2, 0, -1, 0, -1, false, true, 0, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InvertFilter::bandRows = c.bandRows, InvertFilter::margin = c.margin;
        InvertFilter::padding = c.padding, InvertFilter::lo = c.lo, InvertFilter::hi = c.hi;
        MemoryHostOptions o;
        o.exposeAlpha = c.exposeAlpha;
        o.rowPadding = c.rowPadding;
        const HostImage& source = c.mask ? masked : original;
        MemoryHost host(source, o);
        host.setFilterRect(c.rect);
        EXPECT_EQ(host.record().planes, c.exposeAlpha ? 4 : 3);
        EXPECT_EQ(host.record().haveMask, c.mask ? 1 : 0);
        ASSERT_EQ(host.runFilter(&InvertFilter::entry), c.result);
        const int bands = (c.rect.bottom - c.rect.top + c.bandRows - 1) / c.bandRows;
        if (c.result == 0) {
            EXPECT_EQ(host.continueCalls(), bands);
        }
        const uint8_t* in = InvertFilter::firstInput.data();
        if (c.padding == -1 && c.margin) {  // (-1, -1) and (0, -1) are the corner pixel
            EXPECT_EQ(in[0], source.at(0, 0)[0]);
            EXPECT_EQ(in[3], source.at(0, 0)[0]);
        }
        if (c.padding == 9) {
            EXPECT_TRUE(in[0] == 9 && in[3 * 9 - 1] == 9);
        }
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                for (int p = 0; p < 4; ++p) {
                    const bool inside = y >= c.rect.top && y < c.rect.bottom && x >= c.rect.left &&
                                        x < c.rect.right;
                    const bool plane = c.inverted < 0 ? (-c.inverted >> p) & 1 : p < c.inverted;
                    const int was = source.at(x, y)[p];
                    const int m = c.mask ? source.mask[size_t(y) * 7 + x] : 255;
                    const double want = inside && plane ? was + (255 - 2 * was) * m / 255.0 : was;
                    EXPECT_NEAR(host.image().at(x, y)[p], want, m % 255 ? 1.0 : 0.0)
                        << x << "," << y << " plane " << p;
                }
    }
}

}  // namespace
}  // namespace rx
