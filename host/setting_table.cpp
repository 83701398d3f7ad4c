#include "host/setting_table.h"

#include <cstring>

namespace rx {

namespace {

#define RX_INT(field, kind, def, lo, hi) \
    { #field, SettingKind::kind, offsetof(SunParameters, field), def, lo, hi, {0, 0, 0 }, true }
#define RX_COLOUR(field, r, g, b, has) \
    { #field, SettingKind::Colour, offsetof(SunParameters, field), 0, 0, 0xFFFF, {r, g, b }, has }
#define RX_VECTOR(field) \
    { #field, SettingKind::Vector, offsetof(SunParameters, field), 0, 0, 0, {0, 0, 0 }, true }

const SettingInfo kSettings[] = {
    RX_VECTOR(spikeVector),
    RX_VECTOR(flareVector),
    RX_INT(blendMode, Mode, 1, 1, 11),
    RX_COLOUR(sunColor, 0xFFFF, 0xCE00, 0x0800, true),
    RX_COLOUR(flareColor, 0xFFFF, 0xFFFF, 0xFFFF, true),
    RX_COLOUR(haloColor, 0, 0, 0, true),
    RX_COLOUR(haloColor2, 0, 0, 0, true),
    RX_COLOUR(spikeColor, 0xFFFF, 0xFFFF, 0xFFFF, true),
    RX_COLOUR(extraColor, 0, 0, 0, false),
    RX_INT(spikeBrightness, Slider, 50, 0, 100),
    RX_INT(spikeWidth, Slider, 50, 0, 100),
    RX_INT(spikeRadius, Slider, 50, 0, 100),
    RX_INT(spikeCount, Count, 10, 0, 100),
    RX_INT(sunRadius, Slider, 20, 0, 100),
    RX_INT(sunColdHot, Slider, 100, 0, 100),
    RX_INT(sunSmear, Slider, 0, 0, 100),
    RX_INT(swirlSize, Slider, 30, 0, 100),
    RX_INT(swirlCount, Count, 4, 0, 100),
    RX_INT(sunDetail, Slider, 50, 0, 100),
    RX_INT(spikeGamma, Slider, 50, 0, 100),
    RX_INT(vortices, Toggle, 1, 0, 1),
    RX_INT(monopoles, Toggle, 1, 0, 1),
    RX_INT(lightingMode, Mode, 1, 1, 3),
    RX_INT(haloRadius, Slider, 80, 0, 100),
    RX_INT(haloBrightness, Slider, 50, 0, 100),
    RX_INT(bowRadius, Slider, 40, 0, 100),
    RX_INT(bowWidth, Slider, 50, 0, 100),
    RX_INT(bowBrightness, Slider, 50, 0, 100),
    RX_INT(bowSmear, Slider, 50, 0, 100),
    RX_INT(flareRadius, Slider, 0, 0, 100),
    RX_INT(flareWidth, Slider, 50, 0, 100),
    RX_INT(flareCount, Count, 4, 0, 100),
    RX_INT(masterBrightness, Slider, 25, 0, 100),
    RX_INT(flareDetail, Slider, 50, 0, 100),
    RX_INT(flareBrightness, Slider, 100, 0, 100),
    RX_INT(bowInvert, Toggle, 0, 0, 1),
    RX_INT(spikeDiffraction, Slider, 100, 0, 100),
    RX_INT(spikeDetail, Slider, 50, 0, 100),
    RX_INT(seed, Seed, 21, 0, 2047),
};

#undef RX_INT
#undef RX_COLOUR
#undef RX_VECTOR

}  // namespace

const SettingInfo* settingTable(size_t* count) {
    *count = sizeof(kSettings) / sizeof(kSettings[0]);
    return kSettings;
}

const SettingInfo* findSetting(const char* name) {
    for (const SettingInfo& s : kSettings)
        if (std::strcmp(s.name, name) == 0) return &s;
    return nullptr;
}

int32_t* settingInt(SunParameters& p, const SettingInfo& s) {
    return reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&p) + s.offset);
}

RGB16* settingColour(SunParameters& p, const SettingInfo& s) {
    return reinterpret_cast<RGB16*>(reinterpret_cast<char*>(&p) + s.offset);
}

Vector3f* settingVector(SunParameters& p, const SettingInfo& s) {
    return reinterpret_cast<Vector3f*>(reinterpret_cast<char*>(&p) + s.offset);
}

void clampSettings(SunParameters& p) {
    for (const SettingInfo& s : kSettings) {
        if (s.kind == SettingKind::Colour) continue;
        if (s.kind == SettingKind::Vector) {
            // Components feed float-to-integer conversions: NaN becomes 0 and magnitudes
            // are limited to 1e7 (beyond anything a preset file can hold), infinities too.
            Vector3f& vec = *settingVector(p, s);
            float* const components[3] = {&vec.x, &vec.y, &vec.z};
            for (float* c : components) {
                if (*c != *c) *c = 0.0f;
                if (*c > 1.0e7f) *c = 1.0e7f;
                if (*c < -1.0e7f) *c = -1.0e7f;
            }
            continue;
        }
        int32_t& v = *settingInt(p, s);
        switch (s.kind) {
            case SettingKind::Mode:
                if (v < s.minValue || v > s.maxValue) v = 1;
                break;
            case SettingKind::Seed: v &= 2047; break;
            default:
                if (v < s.minValue) v = s.minValue;
                if (v > s.maxValue) v = s.maxValue;
                break;
        }
    }
}

}  // namespace rx
