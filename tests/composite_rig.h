// Settings, render tables and one image in memory for driving the compositor without a
// host or a session. Settings and tables start zeroed (but for a neutral level, modes and
// strides) so that tests fill exactly what they look at; prepare() makes real tables. The
// render set-up tests start from the default settings instead (RenderRig).
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "composite/band_compositor.h"
#include "host/default_record.h"
#include "render/sun_tables.h"
#include "render/table_dump.h"

namespace rx::testing {

struct CompositeRig {
    std::unique_ptr<SunParameters> params{new SunParameters()};
    std::unique_ptr<SunTables> tables{new SunTables{}};
    std::vector<int32_t> lens;
    int32_t width, height, planes;
    int32_t lastRow, lastColumn;    // the preview's selectable area
    bool haveMask = false;          // the host reports a selection
    const uint8_t* mask = nullptr;  // preview selection, one byte a pixel, rows of `width`
    std::vector<uint8_t> in, out;

    CompositeRig(int32_t w, int32_t h, int32_t planeCount, int32_t lensCapacity = 4000)
        : width(w), height(h), planes(planeCount), lastRow(h - 1), lastColumn(w - 1) {
        std::memset(params.get(), 0, sizeof(SunParameters));
        lens.assign(size_t(lensCapacity), 0);
        tables->lensTable = lens.empty() ? nullptr : lens.data();
        tables->lensCapacity = lensCapacity;
        tables->lensLast = 1;
        tables->smearStep = 1;
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
        p.sunCenterX = w / 2;
        p.sunCenterY = h / 2;
    }

    SunParameters& p() { return *params; }
    SunTables& t() { return *tables; }

    // Real tables for the settings as they are now.
    void prepare() { prepareSunTables(*params, params->previewScale, *tables); }

    // Composites rows [first, last] of `in` into `out` with tables made from the settings
    // as they are now (hand-made tables count as made for the record's scale).
    void rows(int32_t first, int32_t last, RowCompositor composite = &compositeRow) {
        tables->scale = params->previewScale;
        CompositeTables t;
        buildCompositeTables(*params, *tables, t);
        const size_t rowBytes = size_t(width) * planes;
        for (int32_t y = first; y <= last; ++y) {
            const RowRequest r{y,        width,     planes, planes, y >= 0 && y <= lastRow,
                               haveMask, lastColumn};
            const uint8_t* maskRow = mask ? mask + size_t(y) * width : nullptr;
            composite(t, r, &in[y * rowBytes], &out[y * rowBytes], maskRow);
        }
    }
    void row(int32_t y) { rows(y, y); }
    void all(RowCompositor composite = &compositeRow) { rows(0, height - 1, composite); }
    uint8_t* outAt(int32_t x, int32_t y) { return &out[(size_t(y) * width + x) * planes]; }
};

struct RenderRig : CompositeRig {
    explicit RenderRig(int32_t lensCapacity = 4000) : CompositeRig(1, 1, 1, lensCapacity) {
        MakeDefaultRecord(*params);
    }
    std::string prepareAndDump() {
        prepare();
        return dumpRenderTables(*tables);
    }
};

}  // namespace rx::testing
