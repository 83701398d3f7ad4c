#include "ui/dialog_utils_win.h"

#include "platform/module_instance.h"

namespace rx::ui {

HINSTANCE resourceInstance() {
    if (void* instance = platform::moduleInstance()) return static_cast<HINSTANCE>(instance);
    // Linked into a program rather than loaded as a module: the module holding this code.
    HMODULE self = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&resourceInstance), &self);
    return self;
}

PixelRect toPixelRect(const RECT& r) {
    return {int(r.left), int(r.top), int(r.right), int(r.bottom)};
}
RECT toRECT(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// ---------------------------------------------------------------------------------------
// Placing windows

void centerDialog(HWND window) {
    HWND parent = GetParent(window);
    if (!parent) parent = GetDesktopWindow();
    RECT client;
    GetClientRect(parent, &client);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT own;
    GetWindowRect(window, &own);
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    const bool systemMenu = (GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) != 0;
    const int shift = systemMenu ? caption : caption - caption / 3;
    const PixelPoint p =
        centredDialogOrigin(toPixelRect(client), own.right - own.left, own.bottom - own.top, shift,
                            GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void centerOnParent(HWND window) {
    HWND parent = GetParent(window);
    if (!parent) parent = GetDesktopWindow();
    RECT pr, own;
    GetWindowRect(parent, &pr);
    GetWindowRect(window, &own);
    const PixelPoint p =
        centredOnParent(toPixelRect(pr), own.right - own.left, own.bottom - own.top);
    SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Window procedures and hooks are called by the system: nothing may unwind through it.
UINT_PTR CALLBACK fileDialogHook(HWND dialog, UINT message, WPARAM, LPARAM) noexcept try {
    if (message != WM_INITDIALOG) return 0;
    centerOnParent(GetParent(dialog));
    return 1;
} catch (...) {
    return 0;
}

INT_PTR CALLBACK plainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept try {
    switch (message) {
        case WM_INITDIALOG: centerDialog(dialog); return TRUE;
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(dialog, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r,
                     static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            return TRUE;
        }
        case WM_PAINT: return FALSE;
        case WM_COMMAND:
            if (HIWORD(wParam) == 0) EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        default: return FALSE;
    }
} catch (...) {
    return FALSE;
}

// ---------------------------------------------------------------------------------------
// Control rectangles

RECT controlRect(HWND window, int id) {
    RECT r{0, 0, 0, 0};
    HWND control = GetDlgItem(window, id);
    if (!control) return r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void invalidateControl(HWND window, int id) {
    const RECT r = controlRect(window, id);
    InvalidateRect(window, &r, FALSE);
}

// ---------------------------------------------------------------------------------------
// Text

HFONT createDialogFont() {
    return CreateFontA(-MulDiv(8, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_DONTCARE, "Arial");
}

void drawText(const RECT& rect, int align, const char* text, int dy, COLORREF colour, HDC dc) {
    if (!text || !*text) return;
    HFONT font = createDialogFont();
    HGDIOBJ oldFont = SelectObject(dc, font);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, colour);

    RECT measured = rect;
    DrawTextA(dc, text, -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const PixelPoint origin =
        textOrigin(toPixelRect(rect), align, int(measured.right - measured.left), dy);
    RECT out{origin.x, origin.y, origin.x + (measured.right - measured.left),
             origin.y + (measured.bottom - measured.top)};
    DrawTextA(dc, text, -1, &out, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);

    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

void drawTextInControl(HWND window, int id, int align, const char* text, int dy, COLORREF colour,
                       bool clip) {
    const RECT r = controlRect(window, id);
    HDC dc = GetDC(window);
    if (!dc) return;
    if (clip) IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    drawText(r, align, text, dy, colour, dc);
    ReleaseDC(window, dc);
}

int measureText(const char* text) {
    HDC dc = GetDC(nullptr);
    if (!dc) return 0;
    HFONT font = createDialogFont();
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, 50, 50};
    DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return int(r.right - r.left);
}

// ---------------------------------------------------------------------------------------
// Frames, fills and pictures

void drawBevel(HDC dc, const RECT& r, COLORREF upperLeft, COLORREF lowerRight, COLORREF mask) {
    HPEN first = CreatePen(PS_SOLID, 1, upperLeft & mask);
    HPEN second = CreatePen(PS_SOLID, 1, lowerRight & mask);
    HGDIOBJ old = SelectObject(dc, first);
    MoveToEx(dc, r.left, r.bottom, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right, r.top);
    LineTo(dc, r.right, r.top + 1);
    SelectObject(dc, second);
    LineTo(dc, r.right, r.bottom);
    LineTo(dc, r.left, r.bottom);
    SelectObject(dc, old);
    DeleteObject(first);
    DeleteObject(second);
}

void drawBevel(HWND window, const RECT& r, COLORREF upperLeft, COLORREF lowerRight, COLORREF mask) {
    HDC dc = GetDC(window);
    if (!dc) return;
    drawBevel(dc, r, upperLeft, lowerRight, mask);
    ReleaseDC(window, dc);
}

void fillRectColour(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void fillControl(HWND window, int id, COLORREF colour) {
    RECT r = controlRect(window, id);
    r.bottom -= 3;
    HDC dc = GetDC(window);
    if (!dc) return;
    fillRectColour(dc, r, colour);
    ReleaseDC(window, dc);
}

void blitPicture(HDC dc, int picture, int x, int y) {
    if (picture < 0) return;
    HBITMAP bitmap = LoadBitmapA(resourceInstance(), MAKEINTRESOURCEA(picture));
    if (!bitmap) return;
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(bitmap);
}

// ---------------------------------------------------------------------------------------
// Cursors

void setWaitCursor() { SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514))); }   // IDC_WAIT
void setArrowCursor() { SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))); }  // IDC_ARROW

}  // namespace rx::ui

// ---------------------------------------------------------------------------------------
// Device contexts clipped while painting (paint_clip_win.h)

#include "ui/paint_clip_win.h"

namespace rx::ui {

namespace {
RECT gPaintRect;  // the rectangle being repainted, while a paint message is handled
bool gPainting = false;
}  // namespace

HDC controlDC(HWND window) {
    HDC dc = GetDC(window);
    if (dc && gPainting)
        IntersectClipRect(dc, gPaintRect.left, gPaintRect.top, gPaintRect.right, gPaintRect.bottom);
    return dc;
}

PaintCoverage paintCoverage(const RECT& r) {
    if (!gPainting) return PaintCoverage::whole;
    RECT inside;
    if (!IntersectRect(&inside, &r, &gPaintRect)) return PaintCoverage::none;
    return EqualRect(&inside, &r) ? PaintCoverage::whole : PaintCoverage::part;
}

PaintClip::PaintClip(const RECT& paint) {
    gPaintRect = paint;
    gPainting = true;
}

PaintClip::~PaintClip() { gPainting = false; }

}  // namespace rx::ui
