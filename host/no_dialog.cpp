// Builds without the Win32 dialog: the run renders the record's settings as they are.
#include "host/settings_dialog.h"

namespace rx {

void RunSettingsDialog(FilterSession&) {}

void ShowAboutBox(const AboutRecord*) {}

}  // namespace rx
