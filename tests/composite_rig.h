// A hand-built session for driving the compositor and the band loop without a host: a
// FilterRecord, a settings record in a handle, a work buffer, a lens table and one image
// in memory. Tables start zeroed so that tests fill exactly what they look at.
#pragma once

#include <cstring>
#include <memory>
#include <vector>

#include "composite/band_compositor.h"
#include "host/types/filter_session.h"
#include "host/render_view.h"

namespace rx::testing {

// Composites row y from the session's record as the band loop hands rows over (a final
// render's buffers hold the row itself, a preview's the whole area) with tables made from
// the session as it is now. Returns memFullErr when tables or buffers are missing.
inline int16_t compositeSessionRow(FilterSession& session, int32_t y) {
    CompositeTables t;
    const FilterRecord& rec = *session.filterRecord;
    if (!compositeTablesOf(session, t) || !rec.inData || !rec.outData) return memFullErr;
    const size_t k = t.preview ? size_t(y) : 0;
    const uint8_t* mask = nullptr;
    if (t.preview && rec.haveMask && rec.maskData)
        mask = static_cast<const uint8_t*>(rec.maskData) +
               intptr_t(y - session.maskBandTop) * rec.maskRowBytes;
    compositeRow(t, rowRequestOf(session, y),
                 static_cast<const uint8_t*>(rec.inData) + k * rec.inRowBytes,
                 static_cast<uint8_t*>(rec.outData) + k * rec.outRowBytes, mask);
    return 0;
}

struct CompositeRig {
    std::unique_ptr<SunParameters> params{new SunParameters()};
    char* paramsPointer = nullptr;
    std::unique_ptr<WorkBuffer> work{new WorkBuffer()};
    std::vector<int32_t> lens;
    FilterRecord rec{};
    FilterSession session{};
    int16_t result = 0;
    int32_t width, height, planes;
    std::vector<uint8_t> in, out;

    CompositeRig(int32_t w, int32_t h, int32_t planeCount)
        : width(w), height(h), planes(planeCount) {
        std::memset(params.get(), 0, sizeof(SunParameters));
        std::memset(work.get(), 0, sizeof(WorkBuffer));
        paramsPointer = reinterpret_cast<char*>(params.get());
        rec.parameters = &paramsPointer;
        rec.planes = int16_t(planes);
        rec.filterRect = Rect{0, 0, int16_t(h), int16_t(w)};
        rec.inLoPlane = rec.outLoPlane = 0;
        rec.inHiPlane = rec.outHiPlane = int16_t(planes - 1);
        rec.outRect = Rect{0, 0, 1, int16_t(w)};
        rec.inRect = rec.outRect;
        lens.assign(4000, 0);
        session.result = &result;
        session.filterRecord = &rec;
        session.workBuffer = work.get();
        session.lensTable = lens.data();
        session.lensCapacity = int32_t(lens.size());
        session.lensLast = 1;
        session.renderWidth = w;
        session.renderHeight = h;
        session.lastColumn = w - 1;
        session.lastRow = h - 1;
        in.assign(size_t(w) * h * planes, 0);
        out.assign(in.size(), 0);
        SunParameters& p = *params;
        p.previewScale = 1;
        p.blendMode = 1;
        p.lightingMode = 1;
        p.masterBrightness = 25;
        p.flareWidth = 50;
        p.flareBrightness = 100;
        p.flareDetail = 50;
        p.spikeDetail = 50;
        p.smearStep = 1;
        p.sunCenterX = w / 2;
        p.sunCenterY = h / 2;
    }

    SunParameters& p() { return *params; }

    // Points the record at row y of the image, as the band loop's host does, and
    // composites it.
    int16_t row(int32_t y) {
        rec.inData = &in[size_t(y) * width * planes];
        rec.outData = &out[size_t(y) * width * planes];
        rec.inRowBytes = rec.outRowBytes = width * planes;
        session.currentRow = y;
        result = compositeSessionRow(session, y);
        return result;
    }
    void all() {
        for (int32_t y = 0; y < height; ++y) row(y);
    }
    uint8_t* outAt(int32_t x, int32_t y) { return &out[(size_t(y) * width + x) * planes]; }
    uint8_t* inAt(int32_t x, int32_t y) { return &in[(size_t(y) * width + x) * planes]; }
};

}  // namespace rx::testing
