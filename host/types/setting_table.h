// The one table of user settings: name, kind, place in SunParameters, default and range.
// Defaults, range clamping, the command line's --set, JSON dumps and the dialog read it
// instead of repeating the list.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/types/sun_parameters.h"

namespace rx {

enum class SettingKind : uint8_t {
    Slider,  // int32, 0..100
    Count,   // int32 slider whose value is a count (spikes, swirls, flares)
    Toggle,  // int32, 0 or 1
    Mode,    // int32, 1..max; any other value acts as 1
    Seed,    // int32, 0..2047
    Colour,  // RGB16
    Vector,  // Vector3f
};

// The group of the settings dialog a setting is shown in; value boxes of Flares, Halo and
// Bow have their own colour.
enum class DialogSection : uint8_t { None, Sun, Flares, Spikes, Halo, Bow, Master };

struct SettingInfo {
    const char* name;
    const char* label;  // the dialog's label beside its control; null for none
    DialogSection section;
    SettingKind kind;
    size_t offset;         // offset of the field in SunParameters
    int32_t defaultValue;  // numeric kinds
    int32_t minValue;
    int32_t maxValue;
    RGB16 defaultColour;  // Colour kind
    bool hasDefault;      // extraColor has none
};

// Every user setting, in the order of SunParameters.
const SettingInfo* settingTable(size_t* count);
const SettingInfo* findSetting(const char* name);

int32_t* settingInt(SunParameters& p, const SettingInfo& s);
RGB16* settingColour(SunParameters& p, const SettingInfo& s);
Vector3f* settingVector(SunParameters& p, const SettingInfo& s);
int32_t settingInt(const SunParameters& p, const SettingInfo& s);
RGB16 settingColour(const SunParameters& p, const SettingInfo& s);
Vector3f settingVector(const SunParameters& p, const SettingInfo& s);

// Brings every setting into the range the renderer relies on: sliders 0..100, toggles
// 0..1, modes to 1 when outside 1..max, seed masked to 0..2047, vector components NaN to 0
// and limited to +-1e7.
void clampSettings(SunParameters& p);

}  // namespace rx
