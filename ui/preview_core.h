// The preview's window-free part: what it asks of the host, the zoom and pan arithmetic,
// the render loop over the reduced image and the plain copy shown while panning.
// No window system here, so the native tests and benchmarks drive it through the
// in-memory host; ui/preview_panel.cpp adds the drawing, cursors and mouse handling.
#pragma once

#include <cstdint>
#include <vector>

#include "host/types/filter_session.h"
#include "ui/control_ids.h"

namespace rx {

// The host offers advanceState, displayPixels and a non-zero samplingSupport.
bool previewPossible(const FilterSession& session);

// The scale at which the whole filter rectangle fits the area (at least 1; 1 when no
// preview is possible).
int32_t computeFitScale(const FilterSession& session);

// Preview start: previewArea from the preview frame (dialog client pixels) inset by 2 and
// cut to the image, fitScale, scale = fitScale with origins 0, then the source request.
// The caller checks the session's result code afterwards.
void startPreview(FilterSession& session, const Rect& frame);

// Asks the host for the visible part of the image at scale s (inRect and friends,
// inputRate, advanceState) and makes it the render area.
void requestPreviewSource(FilterSession& session, int32_t scale);

// Renders the sun into the host's output buffer for the render area, row by row with the
// band compositor. Nothing happens without advanceState and displayPixels.
void renderPreviewRows(FilterSession& session);

// Limits the origins to the image at scale s.
void clampPreviewOrigins(FilterSession& session, int32_t scale);

// "+", "-" or "%": true when the view changed (then the source has been requested anew).
bool zoomCommand(FilterSession& session, int id);

// controlEnabled of "+" and "-" from the scale.
void updateZoomFlags(FilterSession& session);

// The text of the "%" button: 100 / previewScale followed by "%".
void zoomPercentText(const FilterSession& session, char* text, int size);

// Top-left of the reduced picture inside the preview frame (dialog client pixels).
void previewPictureOrigin(const FilterSession& session, const Rect& frame, int32_t* x, int32_t* y);

// The sun's centre from a point of the preview frame (dialog client pixels).
void placeCenterAt(FilterSession& session, const Rect& frame, int32_t x, int32_t y);

// One pointer step of a pan: moves the origins by the pointer's travel times the scale
// and asks for the source again. False when the pointer did not move (nothing to show).
bool panStep(FilterSession& session, int32_t x, int32_t y);

// The pixel map the preview hands to displayPixels: the host's output buffer as it is for
// an 8-bit image; for a 16-bit one a copy reduced to 8 bits, kept in `reduced`, with the
// matching 8-bit mode. Bounds, rows and columns as the host's outRect and planes say.
PSPixelMap previewPixelMap(const FilterSession& session, std::vector<uint8_t>& reduced);

// Copies the source into the output buffer without the sun, fading unselected pixels to
// a light checkerboard: what the preview shows while it is dragged.
void copyPlainPreview(FilterSession& session);

}  // namespace rx
