// Owner-drawn button faces. A frame draws its left and upper edges in one colour and its
// right and lower edges in another, with the system's line drawing (end points excluded),
// so the right and lower lines of a frame on rectangle (l, t, r, b) lie on x = r and y = b.
#include "ui/buttons_draw.h"

#include "ui/buttons_gdi.h"

namespace rx::ui {
namespace {

constexpr COLORREF kFaceGrey = RGB(222, 222, 222);
constexpr COLORREF kLightEdge = RGB(240, 240, 240);
constexpr COLORREF kShadowEdge = RGB(128, 128, 128);
constexpr COLORREF kDisabledGrey = RGB(175, 175, 175);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

using gdi::fill;
using gdi::frame;
using gdi::shrunk;

bool pressed(const DRAWITEMSTRUCT& item) { return (item.itemState & ODS_SELECTED) != 0; }
bool disabled(const DRAWITEMSTRUCT& item) { return (item.itemState & ODS_DISABLED) != 0; }
bool focused(const DRAWITEMSTRUCT& item) { return (item.itemState & ODS_FOCUS) != 0; }

void drawFocus(const DRAWITEMSTRUCT& item) {
    if (!focused(item)) return;
    RECT r = shrunk(item.rcItem, 4);
    r.right += 1;
    r.bottom += 1;
    DrawFocusRect(item.hDC, &r);
}

// The caption with its top at r.top, centred horizontally in r.
void drawCaption(HDC dc, RECT r, const char* text, COLORREF colour) {
    gdi::text(dc, r, text, colour, DT_CENTER | DT_TOP | DT_SINGLELINE);
}

void drawDisabledFace(const DRAWITEMSTRUCT& item) {
    frame(item.hDC, item.rcItem, kDisabledGrey, kDisabledGrey, 0xFFFFFF);
    RECT inner = shrunk(item.rcItem, 1);
    inner.right += 1;
    inner.bottom += 1;
    fill(item.hDC, inner, kFaceGrey);
}

}  // namespace

DRAWITEMSTRUCT withDisabled(const DRAWITEMSTRUCT& item, bool isDisabled) {
    DRAWITEMSTRUCT copy = item;
    if (isDisabled) copy.itemState |= ODS_DISABLED;
    return copy;
}

void drawButtonFace(HWND, int, const DRAWITEMSTRUCT& item, COLORREF mask) {
    if (disabled(item)) {
        drawDisabledFace(item);
        return;
    }
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    if (focused(item)) {
        frame(dc, r, kBlack, kBlack, mask);
        r = shrunk(r, 1);
    }
    if (pressed(item))
        frame(dc, r, kBlack, kBlack, mask);
    else
        frame(dc, r, kLightEdge, kBlack, mask);
    r = shrunk(r, 1);
    if (pressed(item))
        frame(dc, r, kShadowEdge, kShadowEdge, mask);
    else
        frame(dc, r, kWhite, kShadowEdge, mask);
    r = shrunk(r, 1);
    r.right += 1;
    r.bottom += 1;
    fill(dc, r, kFaceGrey & mask);
}

void drawTextButton(HWND window, int id, const DRAWITEMSTRUCT& item, COLORREF mask,
                    const char* caption) {
    drawButtonFace(window, id, item, mask);
    const int p = pressed(item) ? 1 : 0;
    RECT r = item.rcItem;
    const int height = r.bottom - r.top;
    OffsetRect(&r, p, (height - 16) / 2 + p + 2);
    OffsetRect(&r, 1, -1);
    drawCaption(item.hDC, r, caption, (disabled(item) ? kDisabledGrey : kBlack) & mask);
    drawFocus(item);
}

void drawPictureButton(HWND window, int id, const DRAWITEMSTRUCT& item, int32_t picture) {
    drawButtonFace(window, id, item, 0xFFFFFF);
    HBITMAP bitmap = gdi::loadPicture(picture);
    if (bitmap) {
        BITMAP info;
        GetObject(bitmap, sizeof info, &info);
        const int p = pressed(item) ? 1 : 0;
        const RECT& r = item.rcItem;
        gdi::blitBitmap(item.hDC, bitmap, r.left + p + (r.right - r.left - info.bmWidth + 1) / 2,
                        r.top + p + (r.bottom - r.top - info.bmHeight + 1) / 2);
        DeleteObject(bitmap);
    }
    drawFocus(item);
}

void drawColourSwatch(HWND window, int id, const DRAWITEMSTRUCT& item, COLORREF colour) {
    drawButtonFace(window, id, item, 0xFFFFFF);
    RECT r = shrunk(item.rcItem, focused(item) ? 3 : 2);
    r.right += 1;
    r.bottom += 1;
    fill(item.hDC, r, colour);
    drawFocus(item);
}

void drawZoomPercentButton(const DRAWITEMSTRUCT& item, const char* text) {
    fill(item.hDC, item.rcItem, kFaceGrey);
    const int p = pressed(item) ? 1 : 0;
    RECT r = item.rcItem;
    const int height = r.bottom - r.top;
    r.top += (height - 16) / 2 + 2 - 1 + p;
    OffsetRect(&r, 1 + p, 0);
    drawCaption(item.hDC, r, text, kBlack);
}

}  // namespace rx::ui
