// The band loop: moves the image between the host and the compositor a band of rows at a
// time.
#pragma once

#include "host/types/filter_session.h"

namespace rx {

void SetRenderArea(FilterSession& session, const Rect& area, int32_t scale);
void PrepareBands(FilterSession& session);
void StartRun(FilterSession& session);
void ContinueRun(FilterSession& session);
// Render set-up for the current render area, then the compositor's tables; starts the
// run's threads when there are none yet.
void PrepareRender(FilterSession& session);
// One step: progress, the rows nextRow .. nextRow + rows - 1 (cut at the last row), the
// cursor, the abort poll. ProcessRow takes one band.
void ProcessRows(FilterSession& session, int32_t rows);
void ProcessRow(FilterSession& session);
// Composites rows first .. first + rows - 1 from the host's buffers on the run's threads;
// memFullErr when a buffer or the tables are missing.
void CompositeBand(FilterSession& session, int32_t first, int32_t rows);
void RequestRow(FilterSession& session);
// Ends the run's threads and frees the compositor's tables (EndRun does it too).
void EndRender(FilterSession& session);
void EndRun(FilterSession& session);
void ReportProgress(FilterSession& session, int32_t done, int32_t total);
bool TestAbort(FilterSession& session);

}  // namespace rx
