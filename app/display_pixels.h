// The in-memory host's drawing of a pixel map into a device context (the module's
// preview): Win32 GDI on Windows; elsewhere there is no device context and nothing is
// drawn.
#pragma once

#include <cstdint>

#include "host/types/plugin_api.h"

namespace rx {

// Draws `source` clipped to `sourceRect` with its top-left at (column, row) of the device
// context `context`. Grey and RGB maps of 8 bits per plane; noErr, or -50 for a map it
// cannot draw.
OSErr drawPixelMap(const PSPixelMap* source, const VRect* sourceRect, int32_t row, int32_t column,
                   void* context);

}  // namespace rx
