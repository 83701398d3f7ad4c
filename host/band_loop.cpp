// The band loop: the final render asks the host for one row of the filter rectangle per
// band, top to bottom, composites it in place and ends the run by emptying the host's
// rectangles. Start also runs the settings dialog when one is pending.

#include "host/band_loop.h"

#include "composite/band_compositor.h"
#include "host/host_memory.h"
#include "host/session.h"
#include "host/settings_dialog.h"
#include "platform/clock.h"
#include "render/sun_tables.h"
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
    prepareSunTables(session);
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
    Rect band = fr;
    band.top = int16_t(fr.top + r);
    band.bottom = int16_t(band.top + 1);
    rec->inRect = band;
    rec->outRect = band;

    rec->maskRect = Rect{fr.top, fr.left, fr.top, fr.left};
    if (rec->haveMask) {
        // Rows r - 2 .. r + 1 around the band, cut to the filter rectangle, never empty.
        const int32_t m = int32_t(fr.top) + r;
        int32_t top = m - 2;
        int32_t bottom = m + 2;
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

void ProcessRow(FilterSession& session) {
    ReportProgress(session, session.progressDone, session.progressTotal);
    session.progressDone += 1;

    session.currentRow = session.nextRow;
    compositeRow(session);

    if (session.nextRow == session.renderHeight - 1) {
        session.nextRow = 0;
        session.busy = 0;
    } else {
        session.nextRow += 1;
    }
    // A compositor failure is kept: the abort poll does not overwrite it.
    if (*session.result == noErr && TestAbort(session)) *session.result = 1;
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

void EndRun(FilterSession& session) {
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
