// What each custom control of the settings dialog shows. The painting code
// notes, on the control's own child window (the never-shown rectangle of the
// dialog resource), the value it has just painted, as the window property
// "RadiantixShown": automation and the dialog tests read from it what the user
// sees, without reading pixels (which 32-bit programs under some emulators
// cannot). The status line's text is kept as its window text.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rx::ui {

constexpr char kShownProperty[] = "RadiantixShown";
// Noted for a control that was repainted only in part over a different picture:
// the user sees pieces of two values.
constexpr intptr_t kShownTorn = INTPTR_MIN;

// What a control shows, by kind: a slider or value box its value, a toggle its
// state (bit 1 on, bit 2 pressed), a mode picker the mode whose picture it
// shows, a colour swatch its colour (0x00BBGGRR), a direction pad its knob
// point relative to the pad's top-left (packedPoint), a zoom button 1 when it
// is drawn enabled, 0 when greyed.
inline intptr_t packedPoint(int x, int y) { return intptr_t(x) * 65536 + y; }

// Notes `value` as painted on the control `id` of `dialog`, drawn over `drawn`
// (client pixels) through controlDC: wholly, in part (torn, unless the value
// did not change) or not at all (nothing noted), as the paint clip allows.
void noteShown(HWND dialog, int id, const RECT& drawn, intptr_t value);
// The same for a control drawn outside the paint clip (always whole).
void noteShownWhole(HWND dialog, int id, intptr_t value);
// The status line's text, with the clip as for noteShown; a torn text reads
// "<torn>" (no file name holds '<').
void noteShownText(HWND dialog, int id, const RECT& drawn, const char* text);

}  // namespace rx::ui
