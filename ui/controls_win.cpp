#include "ui/controls_win.h"

#include "ui/dialog_utils_win.h"
#include "ui/mode_lists.h"
#include "ui/paint_clip_win.h"
#include "ui/shown_state_win.h"

namespace rx::ui {

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kLight = RGB(240, 240, 240);

int pointerX(LPARAM p) { return static_cast<int16_t>(LOWORD(p)); }
int pointerY(LPARAM p) { return static_cast<int16_t>(HIWORD(p)); }

Point pointerPoint(LPARAM p) {
    return Point{static_cast<int16_t>(HIWORD(p)), static_cast<int16_t>(LOWORD(p))};
}
bool samePoint(const Point& a, const Point& b) { return a.v == b.v && a.h == b.h; }

RECT shrunk(const RECT& r, int by) {
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Dialog state

DialogState& dialogState() {
    static DialogState state;
    return state;
}

SunParameters& dialogRecord() { return *sunParameters(*dialogState().session); }

int32_t controlEnabled(int id) {
    const FilterSession* s = dialogState().session;
    if (!s || !s->workBuffer || id < 0 || id >= kControls) return 1;
    return s->workBuffer->controlEnabled[id];
}

int32_t getControlValue(int id) { return dialogState().controls.value[id]; }
void setControlValue(int id, int32_t value) { dialogState().controls.value[id] = value; }

// ---------------------------------------------------------------------------------------
// Painting the custom controls

void drawControl(HWND window, int id) {
    switch (controlKind(id)) {
        case kindSlider: drawSlider(window, id); break;
        case kindValueBox: drawValueBox(window, id); break;
        case kindLabel: drawLabel(window, id); break;
        case kindToggle: drawToggle(window, id, getControlValue(id)); break;
        case kindModePicker: drawModePicker(window, id); break;
        default: break;  // buttons through owner-draw, pads at the end of painting
    }
}

void drawSlider(HWND window, int id) {
    const ControlTables& t = dialogState().controls;
    const RECT r = controlRect(window, id);
    HDC dc = controlDC(window);
    if (!dc) return;
    blitPicture(dc, t.image[id], r.left, r.top);
    const int x = sliderThumbLeft(toPixelRect(r), t.value[id], t.minimum[id], t.maximum[id]);
    blitPicture(dc, controlEnabled(id) ? picThumb : picThumbDisabled, x, r.top + 1);
    ReleaseDC(window, dc);
    noteShown(window, id, r, t.value[id]);
}

void drawValueBox(HWND window, int valueBoxId) {
    const ControlDescription d = describeControl(valueBoxId);
    RECT r = controlRect(window, valueBoxId);
    HDC dc = controlDC(window);
    if (!dc) return;
    // The number's glyphs reach above the filled box in the dialog font; put the
    // background back there first so that a new number never lands on the old one.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top - 3, r.right, r.bottom);
    blitPicture(dc, picBackground, 0, 0);
    RestoreDC(dc, saved);
    fillRectColour(dc, RECT{r.left, r.top, r.right, r.bottom - 3}, valueBoxColour(valueBoxId));
    char text[12];
    valueText(getControlValue(d.id), text);
    drawText(r, alignCentre, text, -1, kBlack, dc);
    ReleaseDC(window, dc);
    noteShown(window, valueBoxId, r, getControlValue(d.id));
}

void drawLabel(HWND window, int id) {
    const RECT r = controlRect(window, id);
    HDC dc = controlDC(window);
    if (!dc) return;
    // The Auto Preview label starts right of its toggle: aligned right, a font wider than
    // the dialog font (a substitute for a missing Arial) would push it under the toggle.
    const int align = id == idAutoPreviewLabel ? alignLeft : alignRight;
    drawText(r, align, labelText(id), -2, kBlack, dc);
    ReleaseDC(window, dc);
}

void drawToggle(HWND window, int id, int32_t state) {
    const ControlTables& t = dialogState().controls;
    const RECT r = controlRect(window, id);
    HDC dc = controlDC(window);
    if (!dc) return;
    const RECT outer{r.left - 1, r.top + 1, r.right - 5, r.bottom - 3};
    drawBevel(dc, outer, kShadow, kLight);
    drawBevel(dc, shrunk(outer, 1), kBlack, kWhite);
    int picture = picNone;
    switch (state) {
        case 0: picture = t.image[id]; break;
        case 1: picture = t.imageOn[id]; break;
        case 2: picture = t.imageOffPressed[id]; break;
        case 3: picture = t.imageOnPressed[id]; break;
        default: break;
    }
    blitPicture(dc, picture, r.left + 1, r.top + 3);
    ReleaseDC(window, dc);
    noteShown(window, id, r, state);
}

void drawDirectionPad(HWND window, int id, const Vector3f& v) {
    const RECT r = controlRect(window, id);
    const PixelRect pad = toPixelRect(r);
    HDC dc = controlDC(window);
    if (!dc) return;
    blitPicture(dc, dialogState().controls.image[id], r.left, r.top);
    const PixelPoint knob = padKnob(pad, v);
    const PixelPoint start = padLineStart(pad);
    HPEN pen = CreatePen(PS_SOLID, 1, padLineColour(v));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, start.x, start.y, nullptr);
    LineTo(dc, knob.x, knob.y);
    SelectObject(dc, old);
    DeleteObject(pen);
    HICON icon = static_cast<HICON>(
        LoadImageA(resourceInstance(), MAKEINTRESOURCEA(picKnobIcon), IMAGE_ICON, 0, 0, 0));
    if (icon) {
        DrawIconEx(dc, knob.x - 2, knob.y - 2, icon, 0, 0, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
    }
    ReleaseDC(window, dc);
    noteShown(window, id, r, packedPoint(knob.x - r.left, knob.y - r.top));
}

// ---------------------------------------------------------------------------------------
// Dragging

void dragSlider(HWND window, int id, LPARAM pointer) {
    SunParameters& p = dialogRecord();
    p.currentMouse = pointerPoint(pointer);
    p.currentMouse.h = static_cast<int16_t>(p.currentMouse.h - 4);
    if (!samePoint(p.currentMouse, p.previousMouse)) {
        ControlTables& t = dialogState().controls;
        const RECT r = controlRect(window, id);
        t.value[id] =
            sliderValueAt(toPixelRect(r), pointerX(pointer), t.minimum[id], t.maximum[id]);
        drawSlider(window, id);
        drawValueBox(window, valueBoxOf(id));
    }
    p.previousMouse = p.currentMouse;
}

void trackToggle(HWND window, int id, LPARAM pointer) {
    SunParameters& p = dialogRecord();
    p.currentMouse = pointerPoint(pointer);
    const RECT r = controlRect(window, id);
    const bool inside = pointInRect(pointerX(pointer), pointerY(pointer), toPixelRect(r));
    ControlTables& t = dialogState().controls;
    t.value[id] = toggleTrack(t.value[id], inside);
    if (!samePoint(p.currentMouse, p.previousMouse)) drawToggle(window, id, t.value[id]);
    p.previousMouse = p.currentMouse;
}

void dragDirectionPad(HWND window, int id, LPARAM pointer) {
    SunParameters& p = dialogRecord();
    p.currentMouse = pointerPoint(pointer);
    if (!samePoint(p.currentMouse, p.previousMouse)) {
        Vector3f& v = id == idSpikePad ? p.spikeVector : p.flareVector;
        const RECT r = controlRect(window, id);
        padVectorAt(toPixelRect(r), pointerX(pointer), pointerY(pointer), &v);
        drawDirectionPad(window, id, v);
    }
    p.previousMouse = p.currentMouse;
}

}  // namespace rx::ui
