#include "ui/shown_state_win.h"

#include <cstring>

#include "ui/paint_clip_win.h"

namespace rx::ui {

namespace {

void setShown(HWND control, intptr_t value) {
    SetPropA(control, kShownProperty, reinterpret_cast<HANDLE>(value));
}

}  // namespace

void noteShown(HWND dialog, int id, const RECT& drawn, intptr_t value) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return;
    switch (paintCoverage(drawn)) {
        case PaintCoverage::whole: setShown(control, value); break;
        case PaintCoverage::part:
            if (reinterpret_cast<intptr_t>(GetPropA(control, kShownProperty)) != value)
                setShown(control, kShownTorn);
            break;
        case PaintCoverage::none: break;
    }
}

void noteShownWhole(HWND dialog, int id, intptr_t value) {
    if (HWND control = GetDlgItem(dialog, id)) setShown(control, value);
}

void noteShownText(HWND dialog, int id, const RECT& drawn, const char* text) {
    HWND control = GetDlgItem(dialog, id);
    const PaintCoverage coverage = paintCoverage(drawn);
    if (!control || coverage == PaintCoverage::none) return;
    char old[256] = "";
    GetWindowTextA(control, old, sizeof old);
    if (std::strcmp(old, text) == 0) return;
    SetWindowTextA(control, coverage == PaintCoverage::whole ? text : "<torn>");
}

}  // namespace rx::ui
