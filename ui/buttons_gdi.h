// Small GDI helpers shared by the owner-drawn buttons, the mode lists and the preview:
// frames in the system's line drawing, solid fills, the dialog font, text and pictures.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rx::ui::gdi {

// Left and upper edges in one colour, right and lower in another; end points excluded,
// so the right and lower lines of (l, t, r, b) lie on x = r and y = b.
void frame(HDC dc, const RECT& r, COLORREF upperLeft, COLORREF lowerRight,
           COLORREF mask = 0xFFFFFF);
void fill(HDC dc, const RECT& r, COLORREF colour);
RECT shrunk(RECT r, int by);

// The dialog font: Arial, 8 points at 96 dots per inch; the caller deletes it.
HFONT createDialogFont();
// Text in the dialog font, transparent; DrawText format flags. The device context's font,
// background mode and text colour are restored afterwards.
void text(HDC dc, RECT r, const char* s, COLORREF colour, UINT format);
// Width of a text in the dialog font, measured on a display device context.
int textWidth(const char* s);

// Blits a bitmap resource of the module at its natural size; nothing when it is missing.
void blitPicture(HDC dc, int32_t picture, int x, int y);
// The module's bitmap resource, or null.
HBITMAP loadPicture(int32_t picture);
void blitBitmap(HDC dc, HBITMAP bitmap, int x, int y);

// A control's window rectangle in its parent's client coordinates.
RECT controlRect(HWND dialog, int id);

}  // namespace rx::ui::gdi
