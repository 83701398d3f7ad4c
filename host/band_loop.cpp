// The band loop: the final render asks the host for bands of the filter rectangle, top to
// bottom, as many rows at a time as the host's memory allows (one row where it allows no
// more), composites each band in place on the run's threads and ends the run by emptying
// the host's rectangles. Start also runs the settings dialog when one is pending.

#include "host/band_loop.h"

#include <algorithm>

#include "composite/band_compositor.h"
#include "host/host_memory.h"
#include "host/render_run.h"
#include "host/render_view.h"
#include "host/sample_depth.h"
#include "host/session.h"
#include "host/types/setting_table.h"
#include "host/settings_dialog.h"
#include "platform/clock.h"
#include "settings/cache_file.h"

namespace rx {

namespace {

constexpr Rect kEmptyRect = {0, 0, 0, 0};
constexpr Fixed kRateOne = 0x00010000;
constexpr int16_t kPadRepeatEdges = -1;

void emptyRects(FilterRecord* rec) {
    rec->inRect = kEmptyRect;
    rec->outRect = kEmptyRect;
    rec->maskRect = kEmptyRect;
}

// Pixels per band that keep the threads' hand-over cost small beside the band's work.
constexpr int32_t kBandPixels = 1 << 20;

// Rows per band of the final render: what half of the host's memory for the module
// (maxSpace, less the module's own buffers) holds of input, output and mask rows, at most
// about kBandPixels pixels and RADIANTIX_BAND_ROWS rows; one row when the host reports no
// room.
int32_t chooseBandRows(const FilterSession& session) {
    const FilterRecord* rec = session.filterRecord;
    const int64_t width = session.renderWidth > 0 ? session.renderWidth : 1;
    const int64_t rowBytes =
        width * (2 * int64_t(rec->planes) * sampleBytesOf(*rec) + (rec->haveMask ? 1 : 0));
    const int64_t room = int64_t(rec->maxSpace) / 2 - rec->bufferSpace;
    int64_t rows = rowBytes > 0 ? room / rowBytes : 1;
    rows = std::min<int64_t>(rows, std::max<int64_t>(1, kBandPixels / width));
    rows = std::min<int64_t>(rows, session.renderHeight);
    if (const int32_t limit = bandRowsLimit()) rows = std::min<int64_t>(rows, limit);
    return rows < 1 ? 1 : int32_t(rows);
}

int32_t bandRowsOf(const FilterSession& session) {
    return session.bandRows < 1 ? 1 : session.bandRows;
}

}  // namespace

void SetRenderArea(FilterSession& session, const Rect& area, int32_t scale) {
    if (SunParameters* p = sunParameters(session)) p->previewScale = scale;
    session.renderWidth = int32_t(area.right) - area.left;
    session.renderHeight = int32_t(area.bottom) - area.top;
    session.firstRow = 0;
    session.firstColumn = 0;
    session.lastColumn = session.renderWidth - 1;
    session.lastRow = session.renderHeight - 1;
}

void PrepareBands(FilterSession& session) {
    FilterRecord* rec = session.filterRecord;
    SetRenderArea(session, rec->filterRect, 1);
    const int32_t w = session.renderWidth;
    const int32_t h = session.renderHeight;
    const int32_t bySide = (w > h ? w : h) + 4;
    const int32_t byWidth = 3 * w + 2184;
    session.lensCapacity = bySide > byWidth ? bySide : byWidth;
    rec->bufferSpace = 4 * session.lensCapacity + 1128;
}

void StartRun(FilterSession& session) {
    FilterRecord* rec = session.filterRecord;
    platform::seedRandomFromClock();
    EnsureSettingsRecord(session);
    if (*session.result != noErr) {
        emptyRects(rec);
        return;
    }
    // A run the host dropped without ending it left its threads parked: end them. (Its lens
    // buffer is left to the host, which may have taken it back already.)
    EndRender(session);
    SunParameters* p = sunParameters(session);
    p->hostPreview = (rec->advanceState && rec->displayPixels) ? 1 : 0;

    session.lensTable = static_cast<int32_t*>(
        AllocateWorking(session, 4 * session.lensCapacity, &session.lensTableId));
    if (!session.lensTable) {
        FreeWorking(session, &session.lensTable, &session.lensTableId);
        *session.result = 3;
        emptyRects(rec);
        return;
    }

    if (p->dialogPending) {
        // The dialog edits the record in place and leaves userCanceledErr on Cancel.
        RunSettingsDialog(session);
        p->dialogPending = 0;
        if (*session.result != noErr) {
            EndRun(session);
            return;
        }
        writeCacheFile(session);
    }

    p->previewRendering = 0;
    rec->filterRect = session.savedFilterRect;
    SetRenderArea(session, rec->filterRect, 1);
    PrepareRender(session);
    session.bandRows = chooseBandRows(session);
    RequestRow(session);
    if (rec->advanceState) {
        *session.result = rec->advanceState();
        // The run ends here: nothing more is processed, so the buffer goes back at once.
        if (*session.result != noErr) EndRun(session);
    }
}

void RequestRow(FilterSession& session) {
    FilterRecord* rec = session.filterRecord;
    const Rect fr = rec->filterRect;
    SetRenderArea(session, fr, 1);

    int32_t r = session.nextRow;
    if (r > session.renderHeight - 1) r = session.renderHeight - 1;
    if (r < 0) r = 0;
    const int32_t rows = std::min(bandRowsOf(session), session.renderHeight - r);
    Rect band = fr;
    band.top = int16_t(fr.top + r);
    band.bottom = int16_t(band.top + (rows < 1 ? 1 : rows));
    rec->inRect = band;
    rec->outRect = band;

    rec->maskRect = Rect{fr.top, fr.left, fr.top, fr.left};
    if (rec->haveMask) {
        // Two rows above the band to one row below it, cut to the filter rectangle, never
        // empty.
        const int32_t m = int32_t(fr.top) + r;
        int32_t top = m - 2;
        int32_t bottom = int32_t(band.bottom) + 1;
        if (top < fr.top) top = fr.top;
        if (bottom > fr.bottom) bottom = fr.bottom;
        if (bottom <= top) bottom = top + 1;
        Rect mask = fr;
        mask.top = int16_t(top);
        mask.bottom = int16_t(bottom);
        rec->maskRect = mask;
    }

    rec->inLoPlane = 0;
    rec->outLoPlane = 0;
    rec->outHiPlane = int16_t(rec->planes - 1);
    rec->inHiPlane = int16_t(rec->planes - 1);
    rec->maskRate = kRateOne;
    rec->inputRate = kRateOne;
    rec->inputPadding = kPadRepeatEdges;
    rec->outputPadding = kPadRepeatEdges;
    rec->maskPadding = kPadRepeatEdges;
    session.maskBandTop = int32_t(rec->maskRect.top) - fr.top;
}

void PrepareRender(FilterSession& session) {
    SunParameters* p = sunParameters(session);
    if (!p) return;
    // The settings are brought into range where they are kept, so the dialog and the cache
    // file see what is rendered.
    clampSettings(*p);
    if (!renderRunLive(session.renderRun)) session.renderRun = new RenderRun(renderThreadsWanted());
    RenderRun& run = *session.renderRun;
    run.tablesReady = prepareSessionTables(session, run.sunTables, run.tables);
    run.tables16.reset();
    if (run.tablesReady && sampleBytesOf(*session.filterRecord) == 2) {
        run.tables16.reset(new Tables16);
        prepareTables16(run.tables, sixteenBitRangeOf(*session.filterRecord), *run.tables16);
    }
    // The band cursor: the first row may now be composited.
    session.busy = 1;
    session.nextRow = 0;
    session.progressDone = 0;
    session.progressTotal = session.renderHeight + 1;
}

void ProcessRows(FilterSession& session, int32_t rows) {
    if (rows > session.renderHeight - session.nextRow)
        rows = session.renderHeight - session.nextRow;
    if (rows < 1) rows = 1;
    ReportProgress(session, session.progressDone, session.progressTotal);
    session.progressDone += rows;

    session.currentRow = session.nextRow;
    CompositeBand(session, session.currentRow, rows);

    if (session.nextRow + rows >= session.renderHeight) {
        session.nextRow = 0;
        session.busy = 0;
    } else {
        session.nextRow += rows;
    }
    // A compositor failure is kept: the abort poll does not overwrite it.
    if (*session.result == noErr && TestAbort(session)) *session.result = 1;
}

void ProcessRow(FilterSession& session) { ProcessRows(session, bandRowsOf(session)); }

void CompositeBand(FilterSession& session, int32_t first, int32_t rows) {
    const FilterRecord* rec = session.filterRecord;
    RenderRun* run = session.renderRun;
    if (!run || !run->tablesReady || !rec->inData || !rec->outData) {
        *session.result = memFullErr;
        return;
    }
    // A final render's buffers hold the band from its first row; a preview's hold the
    // whole area from row 0, with the mask from row maskBandTop.
    const bool preview = run->tables.preview;
    BandPixels pixels;
    pixels.in = static_cast<const uint8_t*>(rec->inData);
    pixels.inRowBytes = rec->inRowBytes;
    pixels.out = static_cast<uint8_t*>(rec->outData);
    pixels.outRowBytes = rec->outRowBytes;
    pixels.top = preview ? 0 : first;
    pixels.mask = nullptr;
    pixels.maskTop = session.maskBandTop;
    pixels.maskRowBytes = rec->maskRowBytes;
    if (preview && rec->haveMask && rec->maskData)
        pixels.mask = static_cast<const uint8_t*>(rec->maskData);
    run->compositeRows(rowRequestOf(session, first), pixels, first, rows);
}

void ContinueRun(FilterSession& session) {
    FilterRecord* rec = session.filterRecord;
    ProcessRow(session);
    if (*session.result != noErr) session.busy = 0;
    if (*session.result == noErr) RequestRow(session);
    if (!session.busy) {
        EndRun(session);
        return;
    }
    if (!rec->advanceState) return;  // the host delivers the rectangles itself
    *session.result = rec->advanceState();
    if (*session.result != noErr) EndRun(session);
}

void EndRender(FilterSession& session) {
    deleteRenderRun(session.renderRun);
    session.renderRun = nullptr;
}

void EndRun(FilterSession& session) {
    EndRender(session);
    FreeWorking(session, &session.lensTable, &session.lensTableId);
    emptyRects(session.filterRecord);
}

void ReportProgress(FilterSession& session, int32_t done, int32_t total) {
    const SunParameters* p = sunParameters(session);
    if (p && p->previewRendering) return;
    FilterRecord* rec = session.filterRecord;
    if (rec->progressProc) rec->progressProc(done, total);
}

bool TestAbort(FilterSession& session) {
    const SunParameters* p = sunParameters(session);
    if (p && p->previewRendering) return false;
    FilterRecord* rec = session.filterRecord;
    if (!rec->abortProc) return false;
    return (rec->abortProc() & 0xFF) != 0;
}

}  // namespace rx
