#include "ui/buttons_gdi.h"

#include "ui/dialog_utils_win.h"

namespace rx::ui::gdi {

void frame(HDC dc, const RECT& r, COLORREF upperLeft, COLORREF lowerRight, COLORREF mask) {
    drawBevel(dc, r, upperLeft, lowerRight, mask);
}

void fill(HDC dc, const RECT& r, COLORREF colour) { fillRectColour(dc, r, colour); }

RECT shrunk(RECT r, int by) {
    InflateRect(&r, -by, -by);
    return r;
}

HFONT createDialogFont() { return ui::createDialogFont(); }

void text(HDC dc, RECT r, const char* s, COLORREF colour, UINT format) {
    if (!s || !*s) return;
    HFONT font = createDialogFont();
    HGDIOBJ oldFont = SelectObject(dc, font);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, colour);
    DrawTextA(dc, s, -1, &r, format | DT_NOPREFIX | DT_NOCLIP);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

int textWidth(const char* s) {
    HDC dc = GetDC(nullptr);
    HFONT font = createDialogFont();
    HGDIOBJ old = SelectObject(dc, font);
    RECT r = {0, 0, 50, 50};
    DrawTextA(dc, s, -1, &r, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return r.right - r.left;
}

HBITMAP loadPicture(int32_t picture) {
    return LoadBitmapA(resourceInstance(), MAKEINTRESOURCEA(picture));
}

void blitBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
    if (!bitmap) return;
    BITMAP info;
    if (!GetObject(bitmap, sizeof info, &info)) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void blitPicture(HDC dc, int32_t picture, int x, int y) {
    HBITMAP bitmap = loadPicture(picture);
    blitBitmap(dc, bitmap, x, y);
    if (bitmap) DeleteObject(bitmap);
}

RECT controlRect(HWND dialog, int id) { return ui::controlRect(dialog, id); }

}  // namespace rx::ui::gdi
