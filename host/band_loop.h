// The band loop: moves the image between the host and the compositor one row at a time.
#pragma once

#include "host/filter_session.h"

namespace rx {

void SetRenderArea(FilterSession& session, const Rect& area, int32_t scale);
void PrepareBands(FilterSession& session);
void StartRun(FilterSession& session);
void ContinueRun(FilterSession& session);
void ProcessRow(FilterSession& session);
void RequestRow(FilterSession& session);
void EndRun(FilterSession& session);
void ReportProgress(FilterSession& session, int32_t done, int32_t total);
bool TestAbort(FilterSession& session);

}  // namespace rx
