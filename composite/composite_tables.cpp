#include "composite/composite_tables.h"

#include <algorithm>
#include <cstdlib>

#include "composite/compositor_parts.h"
#include "composite/integer_math.h"

namespace rx {

namespace {

using namespace compositor;

// Distances beyond this many quarter pixels get no table (settings keep every radius far
// below it); such pixels take the full rule.
constexpr int32_t kMaxTableDistance = 1 << 16;
// Distances of the spike colour table: a quarter of them in pixels, most images' reach.
constexpr int32_t kSpikeMixDistances = 1 << 14;

UntouchedKind classify(const uint8_t (&bytes)[256]) {
    bool copy = true, zero = true, lessOne = true;
    for (int32_t s = 0; s < 256; ++s) {
        copy = copy && bytes[s] == s;
        zero = zero && bytes[s] == 0;
        lessOne = lessOne && bytes[s] == (s > 0 ? s - 1 : 0);
    }
    if (copy) return UntouchedKind::Copy;
    if (zero) return UntouchedKind::Zero;
    if (lessOne) return UntouchedKind::LessOne;
    return UntouchedKind::Lookup;
}

}  // namespace

void prepareCompositeTables(CompositeTables& t) {
    const CompositeFrame& f = t.f;
    for (int32_t s = 0; s < 256; ++s)
        t.untouched[s] = static_cast<uint8_t>(blendChannel(t.blend, 0, s, 4, t.tb.noiseTable));
    t.untouchedKind = classify(t.untouched);

    // A spike's band, |a dy + b dx| <= 300 and |e dx - c dy| <= 32512, is a parallelogram
    // about the centre: dy = (e u - b v) / (a e + b c) for its across value u and along
    // value v bounds the rows it reaches.
    for (int32_t k = 0; k < 255; ++k) {
        const int64_t a = t.tb.spikeA[k], b = t.tb.spikeB[k], c = t.tb.spikeC[k],
                      e = t.tb.spikeE[k];
        const int64_t det = a * e + b * c;
        const bool small =
            std::max({std::abs(a), std::abs(b), std::abs(c), std::abs(e)}) < (1 << 14);
        t.spikeRowReach[k] =
            small && det != 0 ? int32_t((std::abs(e) * 300 + std::abs(b) * 32512) / std::abs(det))
                              : -1;
    }

    t.spikeMixes.clear();
    if (f.spikeCount > 0) {
        t.spikeMixes.resize(size_t(kSpikeMixDistances) * 3);
        for (int32_t d = 0; d < kSpikeMixDistances; ++d)
            spikeMix(t.tb, f, d, &t.spikeMixes[size_t(d) * 3]);
    }

    t.lensRising = t.core.lensTable != nullptr;
    for (int32_t m = 1; m <= t.core.lensLast && t.lensRising; ++m)
        t.lensRising = int16_t(t.core.lensTable[m]) >= int16_t(t.core.lensTable[m - 1]);

    // An interior pixel outside the bow is its core colour levelled, spilled and clipped:
    // with the sun replacing the picture, its bytes depend on the ramp index alone.
    t.coreColours.clear();
    const bool replaces = t.blend < blendProceduralPlus || t.blend > blendComposite;
    if (replaces && t.core.lightingMode != lightingEclipse && t.core.sunRamp) {
        t.coreColours.resize(256 * 4);
        for (int32_t i = 0; i < 256 && !t.coreColours.empty(); ++i) {
            int32_t T[3];
            for (int z = 0; z < 3; ++z) T[z] = wrapMul(f.level, t.core.sunRamp[z][i]) / 25;
            spillSum(T);
            uint8_t* entry = &t.coreColours[size_t(i) * 4];
            for (int z = 0; z < 3; ++z) entry[z] = static_cast<uint8_t>(T[z]);
            entry[3] = static_cast<uint8_t>(greyLevel(T));
            // Ramps the set-up never makes; the bytes would not hold the colour.
            if (T[0] < 0 || T[1] < 0 || T[2] < 0) t.coreColours.clear();
        }
    }

    // The bow's colour inside the core's interior, by distance.
    t.bowColours.clear();
    const int32_t bowEnd = std::min(f.RringOut, f.Rsun);
    if (f.Rring >= 0 && bowEnd > f.Rring && bowEnd <= kMaxTableDistance) {
        t.bowColours.resize(size_t(bowEnd - f.Rring) * 3);
        for (int32_t d = f.Rring; d < bowEnd; ++d)
            ringColour(t.tb, f, d, &t.bowColours[size_t(d - f.Rring) * 3]);
    }

    t.Rmax = std::max(std::max(f.Rhalo, f.Rflare), std::max(f.RringOut, f.Rcore));
    // The colour of a pixel beyond the core that no spike and no flare streak reaches depends
    // on its distance alone: the halo and the bow, then the level, the spill and the clip,
    // exactly as the full rule takes them.
    t.distanceColourFrom = f.Rcore;
    t.distanceColours.clear();
    t.distanceSums.clear();
    if (t.Rmax > kMaxTableDistance || f.Rcore < 0 || t.Rmax <= f.Rcore) return;
    t.distanceColours.resize(size_t(t.Rmax) * 4);
    t.distanceSums.resize(size_t(t.Rmax) * 3);
    for (int32_t d = f.Rcore; d < t.Rmax; ++d) {
        int32_t T[3] = {0, 0, 0};
        if (f.Rsun <= d && d < f.Rhalo) {
            const int32_t j = 255 * (f.Rhalo - d) / f.haloSpan;
            for (int z = 0; z < 3; ++z) T[z] += t.tb.haloRamp[z][j];
        }
        if (f.Rring <= d && d < f.RringOut) {
            int32_t ring[3];
            ringColour(t.tb, f, d, ring);
            for (int z = 0; z < 3; ++z) T[z] += ring[z];
        }
        for (int z = 0; z < 3; ++z) t.distanceSums[size_t(d) * 3 + z] = T[z];
        for (int z = 0; z < 3; ++z) T[z] = wrapMul(f.level, T[z]) / 25;
        spillSum(T);
        if (T[0] < 0 || T[1] < 0 || T[2] < 0) {
            // Ramps the set-up never makes; the bytes would not hold the colour.
            t.distanceColours.clear();
            t.distanceSums.clear();
            return;
        }
        uint8_t* entry = &t.distanceColours[size_t(d) * 4];
        for (int z = 0; z < 3; ++z) entry[z] = static_cast<uint8_t>(T[z]);
        entry[3] = static_cast<uint8_t>(greyLevel(T));
    }
}

bool buildCompositeTables(const SunParameters& p, const SunTables& st, CompositeTables& t) {
    if (!st.lensTable) return false;
    t.f = deriveFrame(p, st.scale);
    t.preview = p.previewRendering != 0;
    t.blend = p.blendMode;

    Tables& tb = t.tb;
    tb.spikeA = st.spikeLines.a;
    tb.spikeB = st.spikeLines.b;
    tb.spikeC = st.spikeLines.c;
    tb.spikeE = st.spikeLines.e;
    tb.spikeProfile = st.spikeProfile;
    tb.spikeRamp = st.spikeRamp;
    tb.haloRamp = st.haloRamp;
    tb.flareRamp = st.flareRamp;
    tb.ringRamp = st.ringRamp;
    tb.flareAngles = st.flareAngles;
    tb.noiseTable = st.noiseTable;

    CoreInputs& core = t.core;
    core.lightingMode = p.lightingMode;
    core.sunRamp = st.sunRamp;
    core.lensTable = st.lensTable;
    core.lensLast = st.lensLast;
    if (core.lensLast > st.lensCapacity - 1) core.lensLast = st.lensCapacity - 1;
    if (core.lensLast < 0) core.lensLast = 0;
    core.Rcore = t.f.Rcore;
    core.Rfade = t.f.Rfade;

    SurfaceInputs& in = core.surface;
    in = SurfaceInputs{};
    in.noiseTable = st.noiseTable;
    in.cellWeights = st.cellWeights;
    in.noisePairs = st.noisePairs;
    in.weightPairs = st.cellWeightPairs;
    in.octaves = st.surfaceOctaves;
    in.smearStep = st.smearStep < 1 ? 1 : st.smearStep;
    in.swirlReach = st.swirlReach;
    in.swirlForce = st.swirlForce;
    in.swirlCount = p.swirlCount < 0 ? 0 : (p.swirlCount > 100 ? 100 : p.swirlCount);
    in.vortices = p.vortices != 0;
    in.monopoles = p.monopoles != 0;
    in.swirlCenterH = st.swirlCenterH;
    in.swirlCenterV = st.swirlCenterV;
    in.swirlList = nullptr;
    in.swirlListCount = 0;

    if (t.preview) {
        t.cx = truncDiv(wrapSub(p.sunCenterX, p.previewOriginH), t.f.scale);
        t.cy = truncDiv(wrapSub(p.sunCenterY, p.previewOriginV), t.f.scale);
    } else {
        t.cx = p.sunCenterX;
        t.cy = p.sunCenterY;
    }
    prepareCompositeTables(t);
    return true;
}

}  // namespace rx
