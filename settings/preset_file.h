// Preset files (*.q4q): 58 big-endian signed 32-bit values, 232 bytes, led by a format
// version. Version 16 is written; every version from 1 on is read, older files simply
// carry fewer fields. The cache file uses the same format.
//
// The file functions work through the in-memory forms below, which the command line uses
// as well (to show or write a preset without a session).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/types/filter_session.h"
#include "host/types/sun_parameters.h"

namespace rx {

constexpr int32_t kPresetVersion = 16;  // written; newer files read as this
constexpr size_t kPresetValueCount = 58;
constexpr size_t kPresetFileSize = kPresetValueCount * 4;

enum class PresetValueKind : uint8_t {
    Version,   // slot 0
    Integer,   // a numeric setting, stored as is
    Colour,    // one 16-bit component, zero-extended; the reader keeps the low 16 bits
    Vector,    // one float component times 100, truncated (see serializePreset)
    Constant,  // written as 1, ignored on reading
};

// How a stored value becomes the setting, for files older than `belowVersion`.
enum class PresetConversion : uint8_t {
    None,
    HundredMinus,  // setting = 100 - stored (the slider ran the other way)
    AddOne,        // setting = stored + 1 (modes counted from 0)
};

// One value of the file, in file order.
struct PresetSlot {
    const char* setting;  // name in the setting table; null for the version and constants
    PresetValueKind kind;
    uint8_t component;    // 0..2: red/green/blue or x/y/z
    int32_t fromVersion;  // lowest version whose files carry the value
    PresetConversion conversion;
    int32_t belowVersion;  // the conversion applies to files older than this
};

const PresetSlot* presetLayout(size_t* count);  // kPresetValueCount slots

// What parsePreset found in a file.
struct PresetReadInfo {
    bool hasVersion = false;  // false: fewer than 4 bytes, nothing was read or changed
    int32_t version = 0;      // as stored; 17 and above read like 16
    size_t bytesUsed = 0;     // bytes the reader consumed (4 per value)
    size_t bytesGiven = 0;    // size of the data handed in
    std::array<bool, kPresetValueCount> slotRead{};  // value came from the file

    // Bytes a complete file of this version holds (the version counted).
    size_t expectedSize() const;
    // Settings (setting-table names, file order) of which at least one value did not come
    // from the file: absent from its version, or cut off by the end of the data.
    std::vector<std::string> missingSettings() const;
};

// Reads a preset held in memory over `p` exactly as a file is read: values the data lacks
// keep what `p` holds, the old-version conversions and fix-ups apply. Never reads past
// `size` and never fails; values are not range-checked (clampSettings does that).
PresetReadInfo parsePreset(const uint8_t* data, size_t size, SunParameters& p);

// The 232 bytes of a version 16 preset of `p`. A vector component whose value times 100
// lies within single-precision rounding of a whole number is written as that number, so
// that repeated save and load cycles do not lose a hundredth each time; other components
// are truncated toward zero.
std::array<uint8_t, kPresetFileSize> serializePreset(const SunParameters& p);

// The value written for one vector component (see serializePreset).
int32_t presetVectorValue(float component);

// The file forms. Both fail silently: a file that cannot be opened or written leaves the
// settings (or the file) as they were. Writing gives a file of exactly 232 bytes, also
// over a longer existing file. Reading uses only the first 232 bytes.
void writePresetFile(FilterSession& session, const std::string& path);
void readPresetFile(FilterSession& session, const std::string& path);

// The same on a record; readPresetFile returns what was found (hasVersion false when the
// file could not be read). writePresetFile returns false when nothing was written.
bool writePresetFile(const SunParameters& p, const std::string& path);
PresetReadInfo readPresetFile(SunParameters& p, const std::string& path);

}  // namespace rx
