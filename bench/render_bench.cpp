// Render throughput through the in-memory host and the entry point, one core:
//   (a) defaults, (b) 100 spikes of width 0, (c) a large swirled core (sunRadius 100,
//   30 swirls, vortices and monopoles, sunSmear 30), (d) a 302 x 249 preview-sized image;
// and the floor: the same image copied row by row through the same host by a trivial
// module that asks for the same bands.

#include <chrono>
#include <ctime>
#include <functional>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/memory_host.h"
#include "host/session.h"
#include "host/setting_table.h"

using namespace rx;

namespace {

HostImage sky(int32_t w, int32_t h) {
    HostImage img = HostImage::make(w, h, 3);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = img.at(x, y);
            p[0] = uint8_t(40 + (y * 60) / h);
            p[1] = uint8_t(80 + (y * 100) / h);
            p[2] = uint8_t(160 + (x * 90) / w);
        }
    return img;
}

// A module that copies each requested row: the cost of the host's side of the loop.
int32_t gCopyRow = 0;
void RX_CDECL copyEntry(int16_t selector, void* record, intptr_t*, int16_t* result) {
    FilterRecord* r = static_cast<FilterRecord*>(record);
    *result = 0;
    auto request = [&] {
        const Rect f = r->filterRect;
        Rect band{int16_t(f.top + gCopyRow), f.left, int16_t(f.top + gCopyRow + 1), f.right};
        r->inRect = r->outRect = band;
        r->maskRect = Rect{f.top, f.left, f.top, f.left};
        r->inLoPlane = r->outLoPlane = 0;
        r->inHiPlane = r->outHiPlane = int16_t(r->planes - 1);
        r->inputRate = r->maskRate = 0x10000;
        *result = r->advanceState();
    };
    if (selector == filterSelectorStart) {
        gCopyRow = 0;
        request();
    } else if (selector == filterSelectorContinue) {
        const int32_t w = r->outRect.right - r->outRect.left;
        std::memcpy(r->outData, r->inData, size_t(w) * r->planes);
        if (++gCopyRow == r->filterRect.bottom - r->filterRect.top) {
            r->inRect = r->outRect = r->maskRect = Rect{0, 0, 0, 0};
        } else {
            request();
        }
    }
}

void setInt(SunParameters& p, const char* name, int32_t v) {
    *settingInt(p, *findSetting(name)) = v;
}

double run(const char* label, int32_t w, int32_t h, int repeats, PluginEntryProc entry,
           const std::function<void(SunParameters&)>& settings) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        MemoryHost host(sky(w, h));
        host.afterPrepare = [&](MemoryHost& m) {
            if (settings && m.parameters()) settings(*static_cast<SunParameters*>(m.parameters()));
        };
        // Processor time of this process: the figures hold on a machine shared with builds.
        const std::clock_t t0 = std::clock();
        const int16_t result = host.runFilter(entry);
        const double s = double(std::clock() - t0) / CLOCKS_PER_SEC;
        if (result != 0) std::printf("%s: result %d\n", label, result);
        if (s < best) best = s;
    }
    const double mp = double(w) * h / 1e6;
    std::printf("%-46s %5d x %-5d %8.1f ms  %8.2f MP/s\n", label, w, h, best * 1e3, mp / best);
    return mp / best;
}

}  // namespace

int main() {
    std::printf("Render throughput, one core, processor time (best of runs)\n");
    run("(a) defaults", 4000, 3000, 2, &ENTRYPOINT, nullptr);
    run("(b) spikeCount 100, spikeWidth 0", 4000, 3000, 1, &ENTRYPOINT, [](SunParameters& p) {
        setInt(p, "spikeCount", 100);
        setInt(p, "spikeWidth", 0);
    });
    run("(c) sunRadius 100, 30 swirls, both, smear 30", 4000, 3000, 1, &ENTRYPOINT,
        [](SunParameters& p) {
            setInt(p, "sunRadius", 100);
            setInt(p, "swirlCount", 30);
            setInt(p, "vortices", 1);
            setInt(p, "monopoles", 1);
            setInt(p, "sunSmear", 30);
        });
    run("(d) preview size, scale 1", 302, 249, 20, &ENTRYPOINT, nullptr);
    run("floor: row copy through the same host", 4000, 3000, 3, &copyEntry, nullptr);
    return 0;
}
