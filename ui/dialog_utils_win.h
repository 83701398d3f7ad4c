// Window and drawing utilities of the settings dialog, its controls and the about box:
// placing windows, control rectangles, text in the dialog font, bevel frames, fills,
// pictures from the module's resources and cursors. Thin layers over USER32 and GDI32;
// the geometry comes from the window-free control model.
#pragma once

#include <windows.h>

#include "ui/control_model.h"

namespace rx::ui {

// The module whose resources the dialog loads: the loaded module file, or the program
// itself when the dialog is linked into one (the tests).
HINSTANCE resourceInstance();

void centerDialog(HWND window);    // a third of the way down its parent
void centerOnParent(HWND window);  // centred on its parent's window rectangle
UINT_PTR CALLBACK fileDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
INT_PTR CALLBACK plainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

PixelRect toPixelRect(const RECT& r);
RECT toRECT(const PixelRect& r);

// The control's window rectangle in the dialog's client coordinates (empty when the
// control does not exist).
RECT controlRect(HWND window, int id);
void invalidateControl(HWND window, int id);

// The dialog font: Arial, 8 points at 96 dots per inch. The caller deletes it.
HFONT createDialogFont();
// Text in the dialog font, transparent, with the placement of textOrigin.
void drawText(const RECT& r, int align, const char* text, int dy, COLORREF colour, HDC dc);
void drawTextInControl(HWND window, int id, int align, const char* text, int dy, COLORREF colour,
                       bool clip);
int measureText(const char* text);

// Left and upper edges in colour 1, right and lower edges in colour 2 (each AND mask).
void drawBevel(HDC dc, const RECT& r, COLORREF upperLeft, COLORREF lowerRight,
               COLORREF mask = 0xFFFFFF);
void drawBevel(HWND window, const RECT& r, COLORREF upperLeft, COLORREF lowerRight,
               COLORREF mask = 0xFFFFFF);
void fillRectColour(HDC dc, const RECT& r, COLORREF colour);
void fillControl(HWND window, int id, COLORREF colour);
// Loads bitmap `picture` from the module and copies it at (x, y) at its own size; draws
// nothing when it cannot be loaded.
void blitPicture(HDC dc, int picture, int x, int y);

void setWaitCursor();
void setArrowCursor();
// The grab cursor of a preview pan is preview_panel's setGrabCursor.

}  // namespace rx::ui
