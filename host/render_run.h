// What one run keeps besides the session block: the render tables and the compositor's tables
// of the current render and the worker threads that composite a band's rows side by side. Lives
// from the first render of a run (or of the dialog's preview) to the end of the run.
#pragma once

#include <cstdint>

#include <memory>

#include "composite/band_compositor.h"
#include "composite/composite_row16.h"
#include "platform/worker_threads.h"

namespace rx {

// Where a band's pixels lie: row `top` of the render area is at `in` and `out`, row
// `maskTop` at `mask` (null without a mask).
struct BandPixels {
    const uint8_t* in;
    int32_t inRowBytes;
    uint8_t* out;
    int32_t outRowBytes;
    int32_t top;
    const uint8_t* mask;
    int32_t maskRowBytes;
    int32_t maskTop;
};

class RenderRun {
public:
    // `threads` compositing threads in all, the caller's included. Every run is listed
    // module-wide until it is deleted, so that runs a host drops without ending them can be
    // ended when the module is unloaded (endAllRenderRuns).
    explicit RenderRun(int32_t threads);
    ~RenderRun();
    RenderRun(const RenderRun&) = delete;
    RenderRun& operator=(const RenderRun&) = delete;

    int32_t threads() const { return workers_.threadCount() + 1; }

    SunTables sunTables{};  // what `tables` points into
    CompositeTables tables;
    bool tablesReady = false;
    // A 16-bit image's tables besides (null for 8-bit images).
    std::unique_ptr<Tables16> tables16;

    // Composites rows first .. first + count - 1, each row as `row` says but for its index,
    // spread over the threads; returns when all are done.
    void compositeRows(const RowRequest& row, const BandPixels& pixels, int32_t first,
                       int32_t count);

private:
    platform::WorkerThreads workers_;
};

// Deletes `run` when it is one of the module's live runs (a session block may still hold
// the address of a run from before the module was unloaded and loaded again).
void deleteRenderRun(RenderRun* run);
// Whether `run` is one of the module's live runs.
bool renderRunLive(const RenderRun* run);
// Ends every live run and its threads: for the module's unload.
void endAllRenderRuns();
// How many runs are live.
int32_t liveRenderRunCount();

// Compositing threads for a new run: RADIANTIX_THREADS when it holds a number from 1 on,
// otherwise the processors the system offers; at most 64.
int32_t renderThreadsWanted();

// The most rows a band may have by RADIANTIX_BAND_ROWS (a number from 1 on), else 0: no limit
// of its own.
int32_t bandRowsLimit();

}  // namespace rx
