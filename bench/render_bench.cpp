// Render speed, all figures of one run side by side (elapsed time, best of runs):
//   through the in-memory host and the entry point, 4000 x 3000 RGB:
//     (a) defaults, (b) 100 spikes of width 0, (c) a large swirled core (sunRadius 100,
//     30 swirls, vortices and monopoles, sunSmear 30), (d) a 302 x 249 image;
//     each on one thread and on every core, with the time over the floor's and the
//     speed-up of all threads over one;
//     the floor: the same image copied row by row through the same host by a trivial
//     module on one thread;
//   the compositor alone on one thread, the plain reference against the fast path;
//   a preview render as the dialog does it (1208 x 996 at scale 4, 302 x 249 pixels, table
//   set-up included) at defaults and at the heaviest settings of (b) and (c) together, on
//   one thread and on every core.
//   16-bit against 8-bit: the same sky at 16 bits a sample, defaults and the screen blend,
//   one thread, with the ratio of the times.
// Arguments: none runs everything; otherwise any of host, compositor, preview, depth, and
// cases=LETTERS for some of the host cases only (e.g. cases=ac). The
// environment variable RADIANTIX_THREADS sets "every core" to another thread count.

#include <cstdio>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/memory_host.h"
#include "composite/band_compositor.h"
#include "host/band_loop.h"
#include "host/default_record.h"
#include "host/session.h"
#include "host/types/setting_table.h"
#include "render/sun_tables.h"
#include "ui/preview_core.h"

using namespace rx;

namespace {

using Settings = std::function<void(SunParameters&)>;

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// The module reads its thread count from the environment at the start of each run.
int32_t gAllThreads = 1;
// Case letters asked for on the command line (e.g. "ac"); empty runs every case.
std::string gCases;
void useThreads(int32_t n) { ::setenv("RADIANTIX_THREADS", std::to_string(n).c_str(), 1); }

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

void setInt(SunParameters& p, const char* name, int32_t v) {
    *settingInt(p, *findSetting(name)) = v;
}

void manySpikes(SunParameters& p) {
    setInt(p, "spikeCount", 100);
    setInt(p, "spikeWidth", 0);
}
void swirledCore(SunParameters& p) {
    setInt(p, "sunRadius", 100);
    setInt(p, "swirlCount", 30);
    setInt(p, "vortices", 1);
    setInt(p, "monopoles", 1);
    setInt(p, "sunSmear", 30);
}
void heaviest(SunParameters& p) {
    manySpikes(p);
    swirledCore(p);
}

// ---- through the host -------------------------------------------------------------------

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
        std::memcpy(r->outData, r->inData, size_t(w) * r->outColumnBytes);
        if (++gCopyRow == r->filterRect.bottom - r->filterRect.top) {
            r->inRect = r->outRect = r->maskRect = Rect{0, 0, 0, 0};
        } else {
            request();
        }
    }
}

// Processor time of whole filter runs through one host: the first run (cold: the host's
// snapshot of the image lands in fresh memory, and page faults cost a lot on virtual
// machines) and the best of the later runs on the same host (warm), each from the same
// source pixels.
struct Timing {
    double warm;       // elapsed seconds, best warm run
    double processor;  // processor seconds of all the process's threads, best warm run
};

// The sky at 16 bits a sample (each 8-bit value times 257, 0..65535).
HostImage sky16(int32_t w, int32_t h) {
    const HostImage narrow = sky(w, h);
    HostImage img = HostImage::make(w, h, 3, false, 16);
    for (size_t i = 0; i < narrow.pixels.size(); ++i) {
        const uint16_t v = uint16_t(narrow.pixels[i] * 257);
        std::memcpy(&img.pixels[i * 2], &v, 2);
    }
    return img;
}

Timing hostRun(int32_t w, int32_t h, int repeats, PluginEntryProc entry, const Settings& settings,
               int32_t depth = 8) {
    const HostImage original = depth == 16 ? sky16(w, h) : sky(w, h);
    MemoryHost host(original);
    host.afterPrepare = [&](MemoryHost& m) {
        if (settings && m.parameters()) settings(*static_cast<SunParameters*>(m.parameters()));
    };
    Timing t{1e30, 1e30};
    for (int i = 0; i <= repeats; ++i) {
        host.image().pixels = original.pixels;
        const std::clock_t c0 = std::clock();
        const Clock::time_point t0 = Clock::now();
        const int16_t result = host.runFilter(entry);
        const double s = seconds(t0);
        const double p = double(std::clock() - c0) / CLOCKS_PER_SEC;
        if (result != 0) std::printf("  run failed: result %d\n", result);
        if (i == 0) continue;  // cold: the host's fresh copies pay for new memory pages
        t.warm = std::min(t.warm, s);
        t.processor = std::min(t.processor, p);
    }
    return t;
}

void hostFigures() {
    std::printf(
        "Through the in-memory host and the entry point, best warm run. One thread: processor\n"
        "time, over the floor's processor time; all threads: elapsed time, over the floor's\n"
        "elapsed time (each for as many pixels); speed-up: one thread's elapsed time over all\n"
        "threads'. On a busy machine elapsed times swing; compare ratios within one run.\n");
    std::printf("  %-46s %11s %24s %24s %8s\n", "", "", "one thread (processor)",
                "all threads (elapsed)", "speed-up");
    useThreads(1);
    const Timing floor = hostRun(4000, 3000, 4, &copyEntry, nullptr);
    struct Case {
        const char* label;
        int32_t w, h;
        int repeats;
        Settings settings;
    } cases[] = {
        {"(a) defaults", 4000, 3000, 4, nullptr},
        {"(b) spikeCount 100, spikeWidth 0", 4000, 3000, 4, manySpikes},
        {"(c) sunRadius 100, 30 swirls, both, smear 30", 4000, 3000, 2, swirledCore},
        {"(d) 302 x 249, defaults", 302, 249, 20, nullptr},
    };
    std::printf("  %-46s %11s %8.1f ms %13s %8.1f ms %13s\n",
                "floor: row copy through the same host", "4000 x 3000", floor.processor * 1e3,
                "1 x floor", floor.warm * 1e3, "1 x floor");
    for (const Case& c : cases) {
        if (!gCases.empty() && gCases.find(c.label[1]) == std::string::npos) continue;
        const double share = double(c.w) * c.h / 12e6;  // of the floor's pixels
        useThreads(1);
        const Timing one = hostRun(c.w, c.h, c.repeats, &ENTRYPOINT, c.settings);
        useThreads(gAllThreads);
        const Timing all = hostRun(c.w, c.h, c.repeats, &ENTRYPOINT, c.settings);
        std::printf("  %-46s %5d x %-5d %8.1f ms %6.2f x floor %8.1f ms %6.2f x floor %6.2fx\n",
                    c.label, c.w, c.h, one.processor * 1e3,
                    one.processor / (floor.processor * share), all.warm * 1e3,
                    all.warm / (floor.warm * share), one.warm / all.warm);
    }
}

// 16-bit against 8-bit images through the same host, one thread, best warm run of each;
// beside the whole runs, the module's own share: the time over the floor of each depth
// (the host's row copy, which moves twice the bytes at 16 bits).
void depthFigures() {
    std::printf("16-bit against 8-bit, 4000 x 3000 RGB through the host, one thread (processor)\n");
    useThreads(1);
    const double floor8 = hostRun(4000, 3000, 3, &copyEntry, nullptr, 8).processor;
    const double floor16 = hostRun(4000, 3000, 3, &copyEntry, nullptr, 16).processor;
    std::printf("  %-20s 8-bit %8.1f ms   16-bit %8.1f ms   16-bit / 8-bit %5.2f\n",
                "floor: row copy", floor8 * 1e3, floor16 * 1e3, floor16 / floor8);
    const struct {
        const char* label;
        Settings settings;
    } cases[] = {{"defaults", nullptr},
                 {"screen blend", [](SunParameters& p) { setInt(p, "blendMode", 10); }}};
    for (const auto& c : cases) {
        const Timing narrow = hostRun(4000, 3000, 3, &ENTRYPOINT, c.settings, 8);
        const Timing deep = hostRun(4000, 3000, 3, &ENTRYPOINT, c.settings, 16);
        std::printf(
            "  %-20s 8-bit %8.1f ms   16-bit %8.1f ms   16-bit / 8-bit %5.2f   over the "
            "floor %5.2f\n",
            c.label, narrow.processor * 1e3, deep.processor * 1e3,
            deep.processor / narrow.processor,
            (deep.processor - floor16) / (narrow.processor - floor8));
    }
}

// ---- the compositor alone ---------------------------------------------------------------

// Rows composited straight from one in-memory image into another, tables prepared once.
double compositorOnly(const Settings& settings, RowCompositor composite) {
    const int32_t w = 4000, h = 3000;
    const HostImage image = sky(w, h);
    std::unique_ptr<SunParameters> params(new SunParameters());
    std::unique_ptr<SunTables> sunTables(new SunTables{});
    std::memset(params.get(), 0, sizeof(SunParameters));
    ApplyDefaults(*params);
    if (settings) settings(*params);
    params->sunCenterX = w / 2;
    params->sunCenterY = h / 2;
    std::vector<int32_t> lens(size_t(3 * w + 2184));
    sunTables->lensTable = lens.data();
    sunTables->lensCapacity = int32_t(lens.size());
    prepareSunTables(*params, 1, *sunTables);
    CompositeTables tables;
    buildCompositeTables(*params, *sunTables, tables);
    RowRequest row{0, w, 3, 3, true, false, w - 1};
    std::vector<uint8_t> out(image.pixels.size());
    const size_t rowBytes = size_t(w) * 3;
    double best = 1e30;
    for (int run = 0; run < 2; ++run) {
        const Clock::time_point t0 = Clock::now();
        for (int32_t y = 0; y < h; ++y) {
            row.y = y;
            composite(tables, row, &image.pixels[y * rowBytes], &out[y * rowBytes], nullptr);
        }
        const double s = seconds(t0);
        if (s < best) best = s;
    }
    return 12.0 / best;
}

void compositorFigures() {
    std::printf("The compositor alone, one thread, 4000 x 3000 RGB, rows in memory\n");
    std::printf("  %-46s %14s %14s %8s\n", "", "reference", "fast", "speed-up");
    const struct {
        const char* label;
        Settings settings;
    } cases[] = {{"(a) defaults", nullptr},
                 {"(b) spikeCount 100, spikeWidth 0", manySpikes},
                 {"(c) sunRadius 100, 30 swirls, both, smear 30", swirledCore}};
    for (const auto& c : cases) {
        const double ref = compositorOnly(c.settings, &compositeRowReference);
        const double fast = compositorOnly(c.settings, &compositeRow);
        std::printf("  %-46s %9.2f MP/s %9.2f MP/s %7.2fx\n", c.label, ref, fast, fast / ref);
    }
}

// ---- a preview render -------------------------------------------------------------------

// Seconds per preview render, table set-up included, best of `renders`: processor time
// when `processor`, else elapsed time.
double previewRender(const Settings& settings, int renders, bool processor) {
    HostImage image = HostImage::make(1208, 996, 3);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            uint8_t* px = image.at(x, y);
            px[0] = uint8_t(40 + y / 8);
            px[1] = uint8_t(60 + x / 10);
            px[2] = uint8_t(120 + (x + y) / 40);
        }
    MemoryHost host(std::move(image));
    MemoryHost::ActiveScope active(host);
    std::unique_ptr<SunParameters> params(new SunParameters());
    std::unique_ptr<WorkBuffer> work(new WorkBuffer());
    std::memset(params.get(), 0, sizeof(SunParameters));
    std::memset(work.get(), 0, sizeof(WorkBuffer));
    ApplyDefaults(*params);
    char* paramsPointer = reinterpret_cast<char*>(params.get());
    host.record().parameters = &paramsPointer;
    int16_t result = 0;
    FilterSession session{};
    session.result = &result;
    session.filterRecord = &host.record();
    session.workBuffer = work.get();
    PrepareBands(session);
    std::vector<int32_t> lens(size_t(session.lensCapacity));
    session.lensTable = lens.data();
    params->sunCenterX = 604;
    params->sunCenterY = 498;
    params->previewRendering = 1;
    if (settings) settings(*params);
    startPreview(session, Rect{0, 401, 253, 707});
    renderPreviewRows(session);  // warm-up
    double best = 1e30;
    for (int i = 0; i < renders; ++i) {
        const Clock::time_point t0 = Clock::now();
        const std::clock_t c0 = std::clock();
        renderPreviewRows(session);
        const double s = processor ? double(std::clock() - c0) / CLOCKS_PER_SEC : seconds(t0);
        if (s < best) best = s;
    }
    EndRender(session);
    if (result != 0) std::printf("  preview failed: result %d\n", result);
    return best;
}

void previewFigures() {
    std::printf("Preview render, 302 x 249 (1208 x 996 at scale 4, table set-up included)\n");
    std::printf("  %-78s %11s %11s\n", "", "one thread", "all threads");
    std::printf("  %-78s %11s %11s\n", "", "(processor)", "(elapsed)");
    const struct {
        const char* label;
        Settings settings;
        int renders;
    } cases[] = {{"defaults", nullptr, 20},
                 {"heaviest: 100 spikes of width 0, sunRadius 100, 30 swirls, both, smear 30",
                  heaviest, 10}};
    for (const auto& c : cases) {
        useThreads(1);
        const double one = previewRender(c.settings, c.renders, true);
        useThreads(gAllThreads);
        const double all = previewRender(c.settings, c.renders, false);
        std::printf("  %-78s %8.2f ms %8.2f ms\n", c.label, one * 1e3, all * 1e3);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "cases=", 6) == 0) gCases = argv[i] + 6;
    auto wanted = [&](const char* part) {
        if (argc < 2) return true;
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], part) == 0) return true;
        return false;
    };
    const char* threads = std::getenv("RADIANTIX_THREADS");
    gAllThreads = threads && std::atoi(threads) > 0 ? std::atoi(threads) : 0;
    if (gAllThreads == 0) gAllThreads = int32_t(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));
    std::printf("Render speed, elapsed time (best of runs); all threads = %d\n", gAllThreads);
    if (wanted("host")) hostFigures();
    if (wanted("compositor")) compositorFigures();
    if (wanted("preview")) previewFigures();
    if (wanted("depth")) depthFigures();
    return 0;
}
