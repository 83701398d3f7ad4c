// Faces of the dialog's owner-drawn buttons: text buttons (Cancel, "+", "-"), picture
// buttons (Load, Save, Dice, Ecce), the four colour swatches and the zoom percentage
// button "%". All draw into the draw-item record's device context and rectangle.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rx::ui {

// The bevelled face shared by all buttons (or the flat disabled face).
void drawButtonFace(HWND window, int id, const DRAWITEMSTRUCT& item, COLORREF mask);
// Cancel, "+" and "-": face and centred caption; grey when disabled.
void drawTextButton(HWND window, int id, const DRAWITEMSTRUCT& item, COLORREF mask,
                    const char* caption);
// Load, Save, Dice, Ecce: face and the picture resource centred.
void drawPictureButton(HWND window, int id, const DRAWITEMSTRUCT& item, int32_t picture);
// Colour swatch: face filled with the colour.
void drawColourSwatch(HWND window, int id, const DRAWITEMSTRUCT& item, COLORREF colour);
// "%": flat face with the zoom percentage text.
void drawZoomPercentButton(const DRAWITEMSTRUCT& item, const char* text);

// Disabled state as the dialog decides it: the draw-item state bit or a controlEnabled
// flag that is not 1 (the zoom buttons).
DRAWITEMSTRUCT withDisabled(const DRAWITEMSTRUCT& item, bool disabled);

}  // namespace rx::ui
