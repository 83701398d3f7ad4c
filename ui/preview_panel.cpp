// The preview panel's window side; the arithmetic is in ui/preview_core.cpp.
#include "ui/preview_panel.h"

#include <windowsx.h>

#include <initializer_list>

#include "platform/module_instance.h"
#include "ui/buttons_draw.h"
#include "ui/buttons_gdi.h"
#include "ui/preview_core.h"

namespace rx::ui {
namespace {

Rect toRect(const RECT& r) {
    return Rect{int16_t(r.top), int16_t(r.left), int16_t(r.bottom), int16_t(r.right)};
}

RECT previewFrame(HWND dialog) { return gdi::controlRect(dialog, idPreview); }

}  // namespace

void setGrabCursor() {
    HCURSOR grab =
        LoadCursorA(static_cast<HINSTANCE>(platform::moduleInstance()), MAKEINTRESOURCEA(107));
    if (grab) SetCursor(grab);
}

void startDialogPreview(HWND dialog, FilterSession& session) {
    startPreview(session, toRect(previewFrame(dialog)));
}

void renderPreview(FilterSession& session) {
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    renderPreviewRows(session);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void showPreview(HWND dialog, FilterSession& session, bool erase) {
    FilterRecord* rec = session.filterRecord;
    if (!rec) return;
    const RECT frame = previewFrame(dialog);
    const RECT inner = gdi::shrunk(frame, 2);
    HDC dc = GetDC(dialog);
    if (erase) FillRect(dc, &inner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    gdi::frame(dc, RECT{inner.left - 1, inner.top - 1, inner.right, inner.bottom}, RGB(0, 0, 0),
               RGB(0, 0, 0));
    if (rec->displayPixels && rec->outData) {
        std::vector<uint8_t> reduced;  // a 16-bit image's rows reduced for display
        PSPixelMap map = previewPixelMap(session, reduced);
        const int32_t height = map.bounds.bottom - map.bounds.top;
        const int32_t width = map.bounds.right - map.bounds.left;
        const int32_t row = (frame.top + frame.bottom - height) / 2;
        const int32_t column = (frame.left + frame.right - width) / 2;
        rec->displayPixels(&map, &map.bounds, row, column, dc);
    }
    ReleaseDC(dialog, dc);
}

void updateZoomButtons(HWND dialog, FilterSession& session) {
    updateZoomFlags(session);
    for (int id : {idZoomOut, idZoomIn, idZoomReset}) {
        RECT r = gdi::controlRect(dialog, id);
        InvalidateRect(dialog, &r, FALSE);
        if (HWND button = GetDlgItem(dialog, id)) InvalidateRect(button, nullptr, FALSE);
    }
}

bool zoomButton(HWND dialog, FilterSession& session, int id) {
    const bool changed = zoomCommand(session, id);
    updateZoomButtons(dialog, session);
    return changed;
}

void drawZoomPercent(FilterSession& session, const DRAWITEMSTRUCT& item) {
    char text[16];
    zoomPercentText(session, text, sizeof text);
    drawZoomPercentButton(item, text);
}

void placeCenter(HWND dialog, FilterSession& session, POINT p) {
    placeCenterAt(session, toRect(previewFrame(dialog)), p.x, p.y);
}

bool pressPreview(HWND dialog, FilterSession& session, LPARAM pointer) {
    SunParameters* params = sunParameters(session);
    if (!params) return false;
    const POINT p = {GET_X_LPARAM(pointer), GET_Y_LPARAM(pointer)};
    if (params->previewScale == session.fitScale) {
        placeCenter(dialog, session, p);
        return true;
    }
    params->dragControl = idPreview;
    params->dragging = 0;
    SetCapture(dialog);
    params->previousMouse = Point{int16_t(p.y), int16_t(p.x)};
    setGrabCursor();
    return false;
}

void panPreview(HWND dialog, FilterSession& session, LPARAM pointer) {
    SunParameters* params = sunParameters(session);
    if (!params) return;
    if (!panStep(session, GET_X_LPARAM(pointer), GET_Y_LPARAM(pointer))) return;
    setGrabCursor();
    if (params->hostPreview) showPreview(dialog, session, false);
}

bool releasePreview(HWND dialog, FilterSession& session, LPARAM pointer) {
    SunParameters* params = sunParameters(session);
    if (!params || params->dragControl != idPreview || params->dragging) return false;
    placeCenter(dialog, session, POINT{GET_X_LPARAM(pointer), GET_Y_LPARAM(pointer)});
    return true;
}

}  // namespace rx::ui
