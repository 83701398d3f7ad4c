#include "composite/composite_frame.h"

#include "render/sun_tables.h"

namespace rx {

namespace {

inline int32_t atLeastOne(int32_t v) { return v == 0 ? 1 : v; }
inline int32_t within(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

CompositeFrame deriveFrame(const SunParameters& p, int32_t scale) {
    CompositeFrame f;
    const int32_t S = scale < 1 ? 1 : scale;
    f.scale = S;
    const int32_t fSun = sizeOf(p.sunRadius);

    f.Rsun = 4 * fSun / S;
    if (f.Rsun < 0) f.Rsun = 0;
    f.Rhalo = 4 * (fSun + sizeOf(p.haloRadius)) / S;
    f.haloSpan = f.Rhalo == f.Rsun ? 1 : f.Rhalo - f.Rsun;
    f.Rhalo = atLeastOne(f.Rhalo);

    f.flareSpan = 4 * sizeOf(p.flareRadius) / S;
    f.Rflare = f.flareSpan + f.Rsun;
    f.RflareIn = atLeastOne(f.Rsun);
    f.Rflare = atLeastOne(f.Rflare);
    f.flareSpan = atLeastOne(f.flareSpan);

    f.Rring = 4 * sizeOf(p.bowRadius) / S;
    f.ringSpan = 2 * (4 * sizeOf(p.bowWidth) / S);
    f.RringOut = f.Rring + f.ringSpan;
    f.Rring = atLeastOne(f.Rring);
    f.ringSpan = atLeastOne(f.ringSpan);
    f.RringOut = atLeastOne(f.RringOut);

    f.Rcore = f.Rsun + 4;
    f.Rfade = atLeastOne(8 * f.Rcore / 10);

    f.flareArc = p.flareWidth * 4096 / 100;
    f.flareGain = p.flareBrightness * 256 / 100;
    f.flareNoiseScale = flareNoiseStep(p.flareDetail) * S;
    f.spikeStep = 100 - p.spikeDetail;
    f.level = p.masterBrightness;
    f.spikeCount = within(p.spikeCount, 0, 255);
    f.flareCount = within(p.flareCount, 0, 101);
    return f;
}

}  // namespace rx
