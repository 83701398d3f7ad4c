#include "host/types/setting_table.h"

#include <cstring>

namespace rx {

namespace {

// Labels and sections are the dialog's; settings it shows without a label have none.
// clang-format off
#define RX_INT(field, label, section, kind, def, lo, hi) \
    {#field, label, DialogSection::section, SettingKind::kind, offsetof(SunParameters, field), \
     def, lo, hi, {0, 0, 0}, true}
#define RX_COLOUR(field, section, r, g, b, has) \
    {#field, nullptr, DialogSection::section, SettingKind::Colour, offsetof(SunParameters, field), \
     0, 0, 0xFFFF, {r, g, b}, has}
#define RX_VECTOR(field, section) \
    {#field, nullptr, DialogSection::section, SettingKind::Vector, offsetof(SunParameters, field), \
     0, 0, 0, {0, 0, 0}, true}

const SettingInfo kSettings[] = {
    RX_VECTOR(spikeVector, Spikes),
    RX_VECTOR(flareVector, Flares),
    RX_INT(blendMode,        nullptr,       Master, Mode,   1,   1, 11),
    RX_COLOUR(sunColor,   Sun,    0xFFFF, 0xCE00, 0x0800, true),
    RX_COLOUR(flareColor, Flares, 0xFFFF, 0xFFFF, 0xFFFF, true),
    RX_COLOUR(haloColor,  Halo,   0, 0, 0, true),
    RX_COLOUR(haloColor2, None,   0, 0, 0, true),
    RX_COLOUR(spikeColor, Spikes, 0xFFFF, 0xFFFF, 0xFFFF, true),
    RX_COLOUR(extraColor, None,   0, 0, 0, false),
    RX_INT(spikeBrightness,  "Brightness",  Spikes, Slider, 50,  0, 100),
    RX_INT(spikeWidth,       "Width",       Spikes, Slider, 50,  0, 100),
    RX_INT(spikeRadius,      "Radius",      Spikes, Slider, 50,  0, 100),
    RX_INT(spikeCount,       "Count",       Spikes, Count,  10,  0, 100),
    RX_INT(sunRadius,        "Radius",      Sun,    Slider, 20,  0, 100),
    RX_INT(sunColdHot,       "Cold/hot",    Sun,    Slider, 100, 0, 100),
    RX_INT(sunSmear,         "Smear",       Sun,    Slider, 0,   0, 100),
    RX_INT(swirlSize,        "Swirl size",  Sun,    Slider, 30,  0, 100),
    RX_INT(swirlCount,       "Swirl count", Sun,    Count,  4,   0, 100),
    RX_INT(sunDetail,        "Detail",      Sun,    Slider, 50,  0, 100),
    RX_INT(spikeGamma,       "Gamma",       Spikes, Slider, 50,  0, 100),
    RX_INT(vortices,         "Vortices",    Sun,    Toggle, 1,   0, 1),
    RX_INT(monopoles,        "Monopoles",   Sun,    Toggle, 1,   0, 1),
    RX_INT(lightingMode,     nullptr,       Sun,    Mode,   1,   1, 3),
    RX_INT(haloRadius,       "Radius",      Halo,   Slider, 80,  0, 100),
    RX_INT(haloBrightness,   "Brightness",  Halo,   Slider, 50,  0, 100),
    RX_INT(bowRadius,        "Radius",      Bow,    Slider, 40,  0, 100),
    RX_INT(bowWidth,         "Width",       Bow,    Slider, 50,  0, 100),
    RX_INT(bowBrightness,    "Brightness",  Bow,    Slider, 50,  0, 100),
    RX_INT(bowSmear,         "Smear",       Bow,    Slider, 50,  0, 100),
    RX_INT(flareRadius,      "Radius",      Flares, Slider, 0,   0, 100),
    RX_INT(flareWidth,       "Width",       Flares, Slider, 50,  0, 100),
    RX_INT(flareCount,       "Count",       Flares, Count,  4,   0, 100),
    // The background picture names the master slider; its label is blank.
    RX_INT(masterBrightness, " ",           Master, Slider, 25,  0, 100),
    RX_INT(flareDetail,      "Detail",      Flares, Slider, 50,  0, 100),
    RX_INT(flareBrightness,  "Brightness",  Flares, Slider, 100, 0, 100),
    RX_INT(bowInvert,        nullptr,       Bow,    Toggle, 0,   0, 1),
    RX_INT(spikeDiffraction, "Diffraction", Spikes, Slider, 100, 0, 100),
    RX_INT(spikeDetail,      "Detail",      Spikes, Slider, 50,  0, 100),
    RX_INT(seed,             nullptr,       None,   Seed,   21,  0, 2047),
};
// clang-format on
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

int32_t settingInt(const SunParameters& p, const SettingInfo& s) {
    int32_t v;
    std::memcpy(&v, reinterpret_cast<const char*>(&p) + s.offset, sizeof v);
    return v;
}

RGB16 settingColour(const SunParameters& p, const SettingInfo& s) {
    RGB16 c;
    std::memcpy(&c, reinterpret_cast<const char*>(&p) + s.offset, sizeof c);
    return c;
}

Vector3f settingVector(const SunParameters& p, const SettingInfo& s) {
    Vector3f v;
    std::memcpy(&v, reinterpret_cast<const char*>(&p) + s.offset, sizeof v);
    return v;
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
