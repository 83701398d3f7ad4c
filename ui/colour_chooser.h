// Choosing one of the sun's colours: the host's colour picker when the host offers one,
// otherwise the Windows colour dialog.
#pragma once

#include "host/types/filter_session.h"
#include "host/types/sun_parameters.h"

namespace rx::ui {

// The colour the record holds, as the 8-bit values the chooser offers (high bytes).
struct Colour8 {
    uint8_t red, green, blue;
};
inline Colour8 colourHighBytes(const RGB16& c) {
    return {uint8_t(c.red >> 8), uint8_t(c.green >> 8), uint8_t(c.blue >> 8)};
}
// Stores a chosen 8-bit colour as the record's 16-bit components (value x 256).
inline void storeColour8(RGB16& c, Colour8 v) {
    c.red = uint16_t(v.red << 8);
    c.green = uint16_t(v.green << 8);
    c.blue = uint16_t(v.blue << 8);
}

// Runs the chooser on `colour` with the prompt (shown by host pickers only). True when a
// colour was delivered; a cancelled Windows colour dialog leaves `colour` unchanged.
bool chooseColor(FilterSession& session, const char* prompt, RGB16& colour);

// The custom colours of the Windows colour dialog, kept for the life of the module
// (all white at load). Exposed for the tests.
unsigned long* customColours();

}  // namespace rx::ui
