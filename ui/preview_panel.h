// The preview in the settings dialog: rendering with the wait cursor, showing the host's
// output buffer in the preview frame, the zoom buttons, and the mouse on the preview
// (a click places the sun's centre, a drag pans a zoomed view).
#pragma once

#include <windows.h>

#include "host/types/filter_session.h"

namespace rx::ui {

// Preview start at dialog creation: the area from the preview frame, the fit scale and
// the first source request. The caller checks the result code.
void startDialogPreview(HWND dialog, FilterSession& session);
// Renders the preview (wait cursor meanwhile); nothing when the host cannot show one.
void renderPreview(FilterSession& session);
// Draws the host's output buffer centred in the preview frame through displayPixels.
void showPreview(HWND dialog, FilterSession& session, bool erase);
// controlEnabled of "+" and "-", then repaints the three zoom buttons.
void updateZoomButtons(HWND dialog, FilterSession& session);
// "+" (32), "-" (33), "%" (34): true when the view changed (the dialog then refreshes).
bool zoomButton(HWND dialog, FilterSession& session, int id);
// The "%" face.
void drawZoomPercent(FilterSession& session, const DRAWITEMSTRUCT& item);

// Mouse on the preview. A press places the centre at once when the whole image is shown
// (returns true: refresh if Auto Preview is on) or starts a pan (false). The caller has
// found that the press lies on the preview.
bool pressPreview(HWND dialog, FilterSession& session, LPARAM pointer);
// One pointer move while the preview holds the mouse.
void panPreview(HWND dialog, FilterSession& session, LPARAM pointer);
// Button release while the preview holds the mouse: a press that did not pan places the
// centre at the release point. True when the centre was placed (refresh if Auto Preview).
bool releasePreview(HWND dialog, FilterSession& session, LPARAM pointer);
// Places the sun's centre at a dialog client point of the preview.
void placeCenter(HWND dialog, FilterSession& session, POINT p);

// The grab cursor (cursor resource 107), shown while panning.
void setGrabCursor();

}  // namespace rx::ui
