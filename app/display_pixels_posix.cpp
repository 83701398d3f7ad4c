#include "app/display_pixels.h"

namespace rx {

// No window system: a preview has nowhere to go.
OSErr drawPixelMap(const PSPixelMap*, const VRect*, int32_t, int32_t, void*) { return noErr; }

}  // namespace rx
