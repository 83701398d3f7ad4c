#include "host/render_run.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <vector>

namespace rx {

namespace {

int32_t environmentNumber(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text) return 0;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (*end != '\0' || v < 1) return 0;
    return v > 1 << 20 ? 1 << 20 : int32_t(v);
}

// Rows a thread takes at a time: few enough that rows near the sun, which cost more, still
// spread evenly; enough that the threads mostly write far apart (neighbouring rows share a
// cache line where they meet) and each reads and writes a run of memory in order.
constexpr int32_t kRowsPerTake = 8;

// One band shared out a few rows at a time: each thread takes the next rows not yet taken.
struct BandJob {
    const CompositeTables* tables;
    const Tables16* tables16;
    RowRequest row;
    BandPixels pixels;
    int32_t end;
    std::atomic<int32_t> next;

    static void run(void* self) {
        BandJob& job = *static_cast<BandJob*>(self);
        std::vector<uint8_t> sun;  // a 16-bit row's 8-bit sun colour
        if (job.tables16) sun.resize(size_t(job.row.width > 0 ? job.row.width : 1) * 3);
        for (;;) {
            const int32_t first = job.next.fetch_add(kRowsPerTake, std::memory_order_relaxed);
            if (first >= job.end) return;
            const int32_t last = std::min(job.end, first + kRowsPerTake);
            for (int32_t y = first; y < last; ++y) job.composite(y, sun.data());
        }
    }

    void composite(int32_t y, uint8_t* sun) const {
        const BandPixels& p = pixels;
        RowRequest r = row;
        r.y = y;
        const intptr_t k = y - p.top;
        const uint8_t* mask = p.mask ? p.mask + intptr_t(y - p.maskTop) * p.maskRowBytes : nullptr;
        if (tables16)
            compositeRow16(*tables, *tables16, r, p.in + k * p.inRowBytes,
                           p.out + k * p.outRowBytes, mask, sun);
        else
            compositeRow(*tables, r, p.in + k * p.inRowBytes, p.out + k * p.outRowBytes, mask);
    }
};

// The module's live runs. Runs are made and deleted only on the host's thread (inside its
// calls and at unload), never by the workers, so the list needs no lock. Deliberately never
// destroyed: the unload hooks call endAllRenderRuns, and a static destructor would run too
// late or, in a Windows module, under the loader lock.
struct LiveRuns {
    std::vector<RenderRun*> runs;
};
LiveRuns& liveRuns() {
    static LiveRuns* live = new LiveRuns;
    return *live;
}

}  // namespace

RenderRun::RenderRun(int32_t threads) : workers_(threads > 1 ? threads - 1 : 0) {
    LiveRuns& live = liveRuns();
    live.runs.push_back(this);
}

RenderRun::~RenderRun() {
    LiveRuns& live = liveRuns();
    live.runs.erase(std::remove(live.runs.begin(), live.runs.end(), this), live.runs.end());
}

bool renderRunLive(const RenderRun* run) {
    if (!run) return false;
    LiveRuns& live = liveRuns();
    return std::find(live.runs.begin(), live.runs.end(), run) != live.runs.end();
}

void deleteRenderRun(RenderRun* run) {
    if (renderRunLive(run)) delete run;
}

int32_t liveRenderRunCount() {
    LiveRuns& live = liveRuns();
    return int32_t(live.runs.size());
}

void endAllRenderRuns() {
    for (;;) {
        RenderRun* run = nullptr;
        {
            LiveRuns& live = liveRuns();
            if (live.runs.empty()) return;
            run = live.runs.back();
        }
        delete run;
    }
}

void RenderRun::compositeRows(const RowRequest& row, const BandPixels& pixels, int32_t first,
                              int32_t count) {
    BandJob job;
    job.tables = &tables;
    job.tables16 = tables16.get();
    job.row = row;
    job.pixels = pixels;
    job.end = first + count;
    job.next.store(first, std::memory_order_relaxed);
    if (count <= 1 || workers_.threadCount() == 0)
        BandJob::run(&job);
    else
        workers_.run(&BandJob::run, &job);
}

int32_t renderThreadsWanted() {
    int32_t n = environmentNumber("RADIANTIX_THREADS");
    if (n == 0) n = platform::processorCount();
    return n > 64 ? 64 : n;
}

int32_t bandRowsLimit() { return environmentNumber("RADIANTIX_BAND_ROWS"); }

}  // namespace rx
