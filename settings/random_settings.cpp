#include "settings/random_settings.h"

#include <cstdlib>
#include <cstring>

namespace rx {

const RandomDraw& runtimeRandom() {
    static const RandomDraw generator = [] { return std::rand(); };
    return generator;
}

int32_t randRange(const RandomDraw& draw, int32_t lo, int32_t hi) {
    if (hi < lo) return lo;
    for (;;) {
        int32_t v = lo + ((draw() >> 4) & 255);
        if (v <= hi) return v;
    }
}

void randColour(const RandomDraw& draw, RGB16& colour) {
    colour.red = static_cast<uint16_t>((draw() & 255) * 256);
    colour.green = static_cast<uint16_t>((draw() & 255) * 256);
    colour.blue = static_cast<uint16_t>((draw() & 255) * 256);
}

namespace {

// A random direction: both components in -0.70..0.70 in hundredths, or none at all.
void randVector(const RandomDraw& draw, Vector3f& v) {
    v = Vector3f{0.0f, 0.0f, 0.0f};
    if (randRange(draw, 0, 100) > 60) {
        v.x = static_cast<float>((randRange(draw, 0, 140) - 70) * 0.01);
        v.y = static_cast<float>((randRange(draw, 0, 140) - 70) * 0.01);
    }
}

}  // namespace

void randomizeSettings(SunParameters& p, const RandomDraw& draw) {
    // The order of the draws is part of the behaviour: a given sequence of numbers
    // always gives the same look.
    p.spikeBrightness = randRange(draw, 0, 100);
    p.spikeWidth = randRange(draw, 0, 100);
    p.spikeRadius = randRange(draw, 0, 100);
    p.spikeCount = randRange(draw, 0, 100);
    p.sunRadius = randRange(draw, 0, 50);
    p.sunColdHot = randRange(draw, 0, 100);
    p.sunSmear = randRange(draw, 0, 30);
    p.swirlSize = randRange(draw, 5, 50);
    p.swirlCount = randRange(draw, 0, 30);
    p.sunDetail = randRange(draw, 30, 70);
    p.spikeGamma = randRange(draw, 0, 100);
    p.vortices = randRange(draw, 0, 1);
    p.monopoles = randRange(draw, 0, 1);
    randColour(draw, p.sunColor);
    randColour(draw, p.flareColor);
    randColour(draw, p.haloColor);
    p.haloRadius = randRange(draw, 0, 100);
    p.haloBrightness = randRange(draw, 30, 70);
    p.bowRadius = randRange(draw, 0, 100);
    p.bowWidth = randRange(draw, 0, 100);
    p.masterBrightness = randRange(draw, 25, 37);
    p.flareDetail = 25;
    p.flareBrightness = 50 + randRange(draw, 0, 50);
    p.bowInvert = randRange(draw, 0, 1);
    p.bowBrightness = randRange(draw, 0, 100);
    p.flareWidth = randRange(draw, 0, 100);
    p.flareCount = randRange(draw, 0, 20);
    p.spikeDiffraction = randRange(draw, 0, 100);
    p.spikeDetail = randRange(draw, 20, 80);
    p.seed = draw() & 2047;
    randColour(draw, p.spikeColor);
    randColour(draw, p.extraColor);
    p.haloColor2 = p.haloColor;
    p.lightingMode = 1;
    if (randRange(draw, 0, 100) > 94) p.lightingMode = 3;
    p.bowSmear = randRange(draw, 0, 100);
    p.flareRadius = randRange(draw, 0, 50);
    if (randRange(draw, 0, 100) > 20) p.spikeColor = p.sunColor;
    randVector(draw, p.spikeVector);
    randVector(draw, p.flareVector);
    std::memset(p.presetName, 0, sizeof p.presetName);
    std::strcpy(p.presetName, "random settings");
}

void randomizeSettings(FilterSession& session) {
    if (SunParameters* p = sunParameters(session)) randomizeSettings(*p, runtimeRandom());
}

void newSeed(SunParameters& p, const RandomDraw& draw) { p.seed = draw() & 2047; }

void newSeed(FilterSession& session) {
    if (SunParameters* p = sunParameters(session)) newSeed(*p, runtimeRandom());
}

}  // namespace rx
