// The settings dialog as the start selector sees it. Runs modally; leaves 0 in the
// session's result code on OK and userCanceledErr on Cancel. Builds without a dialog
// (the native module) leave the result at 0, so the run renders the record's settings.
#pragma once

#include "host/types/filter_session.h"

namespace rx {

void RunSettingsDialog(FilterSession& session);

// The about box of selector 0, owned by the window in the record's platformData. Builds
// without a dialog show nothing.
void ShowAboutBox(const AboutRecord* about);

}  // namespace rx
