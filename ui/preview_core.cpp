// The preview's window-free part. Sections:
//   [host request]   previewPossible, fit scale, preview start, requestPreviewSource
//   [render]         renderPreviewRows
//   [zoom]           origins clamping, zoom commands, zoom flags, "%" text
//   [placing, pan]   picture origin, placeCenterAt, panStep, copyPlainPreview
#include "ui/preview_core.h"

#include <algorithm>
#include <cstdio>

#include "composite/blend16.h"
#include "host/band_loop.h"
#include "host/sample_depth.h"

namespace rx {
namespace {

int32_t rectWidth(const Rect& r) { return int32_t(r.right) - r.left; }
int32_t rectHeight(const Rect& r) { return int32_t(r.bottom) - r.top; }

int32_t ceilDiv(int32_t a, int32_t b) { return (a + b - 1) / b; }

}  // namespace

// [host request] -------------------------------------------------------------------------

bool previewPossible(const FilterSession& session) {
    const FilterRecord* rec = session.filterRecord;
    return rec && rec->advanceState && rec->displayPixels && rec->samplingSupport != 0;
}

int32_t computeFitScale(const FilterSession& session) {
    if (!previewPossible(session)) return 1;
    const Rect& image = session.filterRecord->filterRect;
    const int32_t imageW = rectWidth(image), imageH = rectHeight(image);
    const int32_t areaW = std::min(rectWidth(session.previewArea), imageW);
    const int32_t areaH = std::min(rectHeight(session.previewArea), imageH);
    // An empty image or area would divide by zero; such a preview shows nothing at 1:1.
    if (areaW <= 0 || areaH <= 0) return 1;
    return std::max(ceilDiv(imageW, areaW), ceilDiv(imageH, areaH));
}

void startPreview(FilterSession& session, const Rect& frame) {
    FilterRecord* rec = session.filterRecord;
    SunParameters* p = sunParameters(session);
    if (!rec || !p) return;
    const Rect& image = rec->filterRect;
    Rect area = {int16_t(frame.top + 2), int16_t(frame.left + 2), int16_t(frame.bottom - 2),
                 int16_t(frame.right - 2)};
    if (rectWidth(image) < rectWidth(area)) area.right = int16_t(area.left + rectWidth(image));
    if (rectHeight(image) < rectHeight(area)) area.bottom = int16_t(area.top + rectHeight(image));
    session.previewArea = area;
    session.fitScale = computeFitScale(session);
    p->previewScale = session.fitScale;
    p->previewOriginH = 0;
    p->previewOriginV = 0;
    requestPreviewSource(session, p->previewScale);
}

void requestPreviewSource(FilterSession& session, int32_t scale) {
    FilterRecord* rec = session.filterRecord;
    SunParameters* p = sunParameters(session);
    if (!rec || !p) return;
    rec->inLoPlane = rec->outLoPlane = 0;
    rec->inHiPlane = rec->outHiPlane = int16_t(rec->planes - 1);
    if (!previewPossible(session)) {
        scale = 1;
        p->previewScale = 1;
    }
    if (scale < 1) scale = 1;

    const Rect& image = rec->filterRect;
    Rect r = {int16_t(image.top + p->previewOriginV), int16_t(image.left + p->previewOriginH),
              int16_t(image.bottom + p->previewOriginV), int16_t(image.right + p->previewOriginH)};
    r.top = std::max(r.top, image.top);
    r.left = std::max(r.left, image.left);
    r.bottom = std::min(r.bottom, image.bottom);
    r.right = std::min(r.right, image.right);
    r.top = int16_t(r.top / scale);
    r.left = int16_t(r.left / scale);
    r.bottom = int16_t(r.bottom / scale);
    r.right = int16_t(r.right / scale);
    if (rectWidth(r) > rectWidth(session.previewArea))
        r.right = int16_t(r.left + rectWidth(session.previewArea));
    if (rectHeight(r) > rectHeight(session.previewArea))
        r.bottom = int16_t(r.top + rectHeight(session.previewArea));

    rec->inRect = rec->outRect = rec->maskRect = r;
    rec->inputRate = rec->maskRate = Fixed(uint32_t(scale) << 16);
    rec->inputPadding = rec->outputPadding = rec->maskPadding = -1;
    if (rec->advanceState && *session.result == 0) *session.result = rec->advanceState();
    if (*session.result == 0) SetRenderArea(session, r, scale);
}

// [render] -------------------------------------------------------------------------------

void renderPreviewRows(FilterSession& session) {
    FilterRecord* rec = session.filterRecord;
    if (!rec || !rec->advanceState || !rec->displayPixels) return;
    if (session.renderWidth <= 0 || session.renderHeight <= 0) return;
    // The compositor's band is the whole area; the mask buffer covers the requested area
    // from its top row (the band loop's mask offset belongs to final renders only).
    session.firstRow = 0;
    session.firstColumn = 0;
    session.lastRow = session.renderHeight - 1;
    session.lastColumn = session.renderWidth - 1;
    session.maskBandTop = 0;
    PrepareRender(session);
    if (*session.result != 0 || !rec->inData) return;
    // Always start at the top: a render area that shrank since an interrupted render
    // must not leave the row cursor beyond its last row. The whole area is one band, on
    // the run's threads.
    session.nextRow = 0;
    ProcessRows(session, session.renderHeight);
}

// [zoom] ---------------------------------------------------------------------------------

void clampPreviewOrigins(FilterSession& session, int32_t scale) {
    SunParameters* p = sunParameters(session);
    if (!p || !session.filterRecord) return;
    if (scale < 1) scale = 1;
    const Rect& image = session.filterRecord->filterRect;
    const int32_t maxH = std::max<int32_t>(
        0, (image.right / scale - image.left / scale - rectWidth(session.previewArea)) * scale);
    const int32_t maxV = std::max<int32_t>(
        0, (image.bottom / scale - image.top / scale - rectHeight(session.previewArea)) * scale);
    p->previewOriginH = std::clamp(p->previewOriginH, 0, maxH);
    p->previewOriginV = std::clamp(p->previewOriginV, 0, maxV);
}

bool zoomCommand(FilterSession& session, int id) {
    SunParameters* p = sunParameters(session);
    if (!p || !previewPossible(session)) return false;
    const int32_t from = p->previewScale;
    int32_t to;
    if (id == ui::idZoomReset) {
        to = 1;
    } else if (id == ui::idZoomIn && from >= 2) {
        to = from - 1;
    } else if (id == ui::idZoomOut && from < session.fitScale) {
        to = from + 1;
    } else {
        return false;
    }

    // Keep the centre of the visible part, in image pixels.
    const Rect& in = session.filterRecord->inRect;
    const Rect& image = session.filterRecord->filterRect;
    const int32_t centreH = (in.left * from + in.right * from) / 2;
    const int32_t centreV = (in.top * from + in.bottom * from) / 2;
    const int32_t newW = rectWidth(session.previewArea) * to;
    const int32_t newH = rectHeight(session.previewArea) * to;
    p->previewOriginH = centreH - newW / 2 - image.left;
    p->previewOriginV = centreV - newH / 2 - image.top;
    if (id == ui::idZoomOut && to == session.fitScale) {
        p->previewOriginH = 0;
        p->previewOriginV = 0;
    }
    clampPreviewOrigins(session, to);
    requestPreviewSource(session, to);
    return true;
}

void updateZoomFlags(FilterSession& session) {
    SunParameters* p = sunParameters(session);
    if (!p || !session.workBuffer) return;
    int32_t* enabled = session.workBuffer->controlEnabled;
    const bool possible = previewPossible(session);
    enabled[ui::idZoomOut] = possible && p->previewScale < session.fitScale ? 1 : 0;
    enabled[ui::idZoomIn] = possible && p->previewScale > 1 ? 1 : 0;
}

void zoomPercentText(const FilterSession& session, char* text, int size) {
    const SunParameters* p = sunParameters(session);
    const int32_t scale = p && p->previewScale > 0 ? p->previewScale : 1;
    std::snprintf(text, size_t(size), "%d%%", int(100 / scale));
}

// [placing, pan] -------------------------------------------------------------------------

void previewPictureOrigin(const FilterSession& session, const Rect& frame, int32_t* x, int32_t* y) {
    const Rect& out = session.filterRecord->outRect;
    const int32_t frameW = rectWidth(frame), frameH = rectHeight(frame);
    const int32_t picW = rectWidth(out), picH = rectHeight(out);
    *x = frameW > picW ? frame.left + (frameW - picW) / 2 : frame.left;
    *y = frameH > picH ? frame.top + (frameH - picH) / 2 : frame.top;
}

void placeCenterAt(FilterSession& session, const Rect& frame, int32_t x, int32_t y) {
    SunParameters* p = sunParameters(session);
    if (!p || !session.filterRecord) return;
    p->previousMouse = Point{int16_t(y), int16_t(x)};
    int32_t picX, picY;
    previewPictureOrigin(session, frame, &picX, &picY);
    p->sunCenterX = (x - picX) * p->previewScale + p->previewOriginH;
    p->sunCenterY = (y - picY) * p->previewScale + p->previewOriginV;
}

bool panStep(FilterSession& session, int32_t x, int32_t y) {
    SunParameters* p = sunParameters(session);
    FilterRecord* rec = session.filterRecord;
    if (!p || !rec) return false;
    p->currentMouse = Point{int16_t(y), int16_t(x)};
    const int16_t dh = int16_t((p->currentMouse.h - p->previousMouse.h) * p->previewScale);
    const int16_t dv = int16_t((p->currentMouse.v - p->previousMouse.v) * p->previewScale);
    if (dh == 0 && dv == 0) {
        p->previousMouse = p->currentMouse;
        return false;
    }
    p->dragging = 1;
    p->previewOriginH -= dh;
    p->previewOriginV -= dv;
    clampPreviewOrigins(session, p->previewScale);
    requestPreviewSource(session, p->previewScale);
    if (rec->advanceState && *session.result == 0) *session.result = rec->advanceState();
    copyPlainPreview(session);
    p->previousMouse = p->currentMouse;
    return true;
}

PSPixelMap previewPixelMap(const FilterSession& session, std::vector<uint8_t>& reduced) {
    const FilterRecord* rec = session.filterRecord;
    PSPixelMap map{};
    map.version = 1;
    map.bounds =
        VRect{rec->outRect.top, rec->outRect.left, rec->outRect.bottom, rec->outRect.right};
    map.imageMode = rec->imageMode;
    map.rowBytes = rec->outRowBytes;
    map.colBytes = rec->outHiPlane - rec->outLoPlane + 1;
    map.planeBytes = 1;
    map.baseAddr = rec->outData;
    if (sampleBytesOf(*rec) != 2 || !rec->outData) return map;
    // 16-bit rows shown as 8-bit ones.
    const int32_t range = sixteenBitRangeOf(*rec);
    const int32_t width = map.bounds.right - map.bounds.left;
    const int32_t height = map.bounds.bottom - map.bounds.top;
    const int32_t samples = width * map.colBytes;
    reduced.assign(size_t(samples > 0 ? samples : 0) * size_t(height > 0 ? height : 0), 0);
    for (int32_t y = 0; y < height; ++y) {
        const uint16_t* from = reinterpret_cast<const uint16_t*>(
            static_cast<const uint8_t*>(rec->outData) + intptr_t(y) * rec->outRowBytes);
        uint8_t* to = reduced.data() + size_t(y) * samples;
        for (int32_t i = 0; i < samples; ++i)
            to[i] = uint8_t(reduceTo8(from[i] < range ? from[i] : range, range));
    }
    if (rec->imageMode == plugInModeGray16) map.imageMode = plugInModeGrayScale;
    if (rec->imageMode == plugInModeRGB48) map.imageMode = plugInModeRGBColor;
    map.rowBytes = samples;
    map.baseAddr = reduced.data();
    return map;
}

namespace {

// The plain preview's rows at 8 or 16 bits a sample.
template <typename Sample>
void copyPlainRows(const FilterSession& session, int32_t checkerLight, int32_t checkerDark) {
    const FilterRecord* rec = session.filterRecord;
    const int planes = rec->planes;
    const int inStride = rec->inHiPlane - rec->inLoPlane + 1;
    const bool masked = rec->haveMask && rec->maskData;
    for (int32_t y = 0; y < session.renderHeight; ++y) {
        const Sample* src = reinterpret_cast<const Sample*>(
            static_cast<const uint8_t*>(rec->inData) + y * rec->inRowBytes);
        Sample* dst =
            reinterpret_cast<Sample*>(static_cast<uint8_t*>(rec->outData) + y * rec->outRowBytes);
        const uint8_t* maskRow =
            masked ? static_cast<const uint8_t*>(rec->maskData) + y * rec->maskRowBytes : nullptr;
        for (int32_t x = 0; x < session.renderWidth; ++x) {
            const int32_t m = maskRow ? maskRow[x] : 255;
            const int32_t k = ((x ^ y) & 8) ? checkerDark : checkerLight;
            for (int c = 0; c < planes; ++c) dst[c] = Sample((src[c] * m + k * (255 - m)) / 256);
            src += inStride;
            dst += planes;
        }
    }
}

}  // namespace

void copyPlainPreview(FilterSession& session) {
    const FilterRecord* rec = session.filterRecord;
    const SunParameters* p = sunParameters(session);
    if (!rec || !p || !p->previewRendering || !rec->inData || !rec->outData) return;
    const int planes = rec->planes;
    if (planes != 1 && planes != 3) return;
    if (sampleBytesOf(*rec) == 2) {
        const int32_t range = sixteenBitRangeOf(*rec);
        copyPlainRows<uint16_t>(session, range, scaleTo16(204, range));
    } else {
        copyPlainRows<uint8_t>(session, 255, 204);
    }
}

}  // namespace rx
