// The about box of selector 0: the "ABOUTBOX" dialog over the host's window.
#include <windows.h>

#include "host/settings_dialog.h"
#include "ui/dialog_utils_win.h"

namespace rx {

void ShowAboutBox(const AboutRecord* about) {
    HWND parent = nullptr;
    if (about && about->platformData)
        parent =
            reinterpret_cast<HWND>(static_cast<const PlatformData*>(about->platformData)->hwnd);
    DialogBoxParamA(ui::resourceInstance(), "ABOUTBOX", parent, ui::plainDialogProc, 0);
}

}  // namespace rx
