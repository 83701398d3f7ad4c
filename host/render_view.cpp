#include "host/render_view.h"

#include "composite/integer_math.h"

namespace rx {

namespace {

SurfaceInputs surfaceInputsOf(const FilterSession& session, const SunParameters& p) {
    SurfaceInputs in{};
    in.noiseTable = session.workBuffer->noiseTable;
    in.cellWeights = p.tables.cellWeights;
    in.octaves = p.surfaceOctaves;
    in.smearStep = p.smearStep < 1 ? 1 : p.smearStep;
    in.swirlReach = p.swirlReach;
    in.swirlForce = p.swirlForce;
    in.swirlCount = p.swirlCount < 0 ? 0 : (p.swirlCount > 100 ? 100 : p.swirlCount);
    in.vortices = p.vortices != 0;
    in.monopoles = p.monopoles != 0;
    in.swirlCenterH = p.tables.swirlCenterH;
    in.swirlCenterV = p.tables.swirlCenterV;
    in.swirlList = nullptr;
    in.swirlListCount = 0;
    return in;
}

}  // namespace

bool compositeTablesOf(const FilterSession& session, CompositeTables& t) {
    const SunParameters* p = sunParameters(session);
    if (!p || !session.workBuffer || !session.lensTable) return false;
    const WorkBuffer& wb = *session.workBuffer;

    t.f = deriveFrame(*p);
    t.preview = p->previewRendering != 0;
    t.blend = p->blendMode;

    Tables& tb = t.tb;
    tb.spikeA = session.spikeLines.a;
    tb.spikeB = session.spikeLines.b;
    tb.spikeC = session.spikeLines.c;
    tb.spikeE = session.spikeLines.e;
    tb.spikeProfile = session.spikeProfile;
    tb.spikeRamp = wb.spikeRamp;
    tb.haloRamp = p->tables.haloRamp;
    tb.flareRamp = p->tables.flareRamp;
    tb.ringRamp = wb.ringRamp;
    tb.flareAngles = wb.flareAngles;
    tb.noiseTable = wb.noiseTable;

    CoreInputs& core = t.core;
    core.lightingMode = p->lightingMode;
    core.sunRamp = p->tables.sunRamp;
    core.lensTable = session.lensTable;
    core.lensLast = session.lensLast;
    if (core.lensLast > session.lensCapacity - 1) core.lensLast = session.lensCapacity - 1;
    if (core.lensLast < 0) core.lensLast = 0;
    core.Rcore = t.f.Rcore;
    core.Rfade = t.f.Rfade;
    core.surface = surfaceInputsOf(session, *p);

    // A preview's column 0 and row 0 show the image point (previewOriginH, previewOriginV)
    // reduced by the scale; a final render's are the filter rectangle's top-left corner.
    if (t.preview) {
        t.cx = truncDiv(wrapSub(p->sunCenterX, p->previewOriginH), t.f.scale);
        t.cy = truncDiv(wrapSub(p->sunCenterY, p->previewOriginV), t.f.scale);
    } else {
        t.cx = p->sunCenterX;
        t.cy = p->sunCenterY;
    }
    prepareCompositeTables(t);
    return true;
}

RowRequest rowRequestOf(const FilterSession& session, int32_t y) {
    const FilterRecord& rec = *session.filterRecord;
    RowRequest r;
    r.y = y;
    r.width = rec.outRect.right - rec.outRect.left;
    r.srcStride = rec.inHiPlane - rec.inLoPlane + 1;
    r.planes = rec.planes;
    r.rowSelected = y >= session.firstRow && y <= session.lastRow;
    r.haveMask = rec.haveMask != 0;
    r.lastColumn = session.lastColumn;
    return r;
}

}  // namespace rx
