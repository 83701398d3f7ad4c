// Device contexts for the custom controls. The controls draw through a device context of
// the dialog window, not the paint message's: while a paint message is handled, these
// contexts are clipped to the rectangle being repainted, so that texts drawn transparently
// over the background are not drawn again and again over themselves.
#pragma once

#include <windows.h>

namespace rx::ui {

HDC controlDC(HWND window);  // release with ReleaseDC

// How much of a rectangle (client pixels) a drawing through controlDC reaches: all of it
// outside a paint message, otherwise its part inside the rectangle being repainted.
enum class PaintCoverage { none, part, whole };
PaintCoverage paintCoverage(const RECT& r);

// Clips controlDC to the rectangle being repainted until the object goes out of scope.
class PaintClip {
public:
    explicit PaintClip(const RECT& paint);
    ~PaintClip();
    PaintClip(const PaintClip&) = delete;
    PaintClip& operator=(const PaintClip&) = delete;
};

}  // namespace rx::ui
