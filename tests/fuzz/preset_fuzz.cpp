// Any bytes into the preset reader. Besides what the sanitizers catch (reads past the
// data, overflow in the old-version conversions), checks that the reader stays within
// the data, that clamped settings are in range, and that a file written from what was read
// reads back the same: a saved look survives being loaded and saved again, and that a read
// changes nothing in the record but the settings.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/types/setting_table.h"
#include "settings/preset_file.h"

using namespace rx;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

size_t settingSize(const SettingInfo& s) {
    return s.kind == SettingKind::Colour   ? sizeof(RGB16)
           : s.kind == SettingKind::Vector ? sizeof(Vector3f)
                                           : sizeof(int32_t);
}

// Which bytes of the record belong to a setting: a read may change those and no other.
std::vector<bool> settingBytes() {
    std::vector<bool> in(sizeof(SunParameters), false);
    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    for (size_t i = 0; i < n; ++i)
        for (size_t b = 0; b < settingSize(table[i]); ++b) in[table[i].offset + b] = true;
    return in;
}

// Exactly representable stored values come back unchanged; beyond 2^24 hundredths the
// float itself cannot hold the integer.
bool vectorStable(float a, float b) { return a == b || std::fabs(a) * 100.0f > 16777216.0f; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact copy so that the address sanitizer sees the end of the data.
    std::vector<uint8_t> exact(data, data + size);
    SunParameters* first = new SunParameters();
    SunParameters* second = new SunParameters();
    static const std::vector<bool> inSetting = settingBytes();
    uint8_t* raw = reinterpret_cast<uint8_t*>(first);
    for (size_t b = 0; b < sizeof *first; ++b)
        if (!inSetting[b]) raw[b] = 0xA5;
    PresetReadInfo info = parsePreset(size ? exact.data() : nullptr, size, *first);
    for (size_t b = 0; b < sizeof *first; ++b) check(inSetting[b] || raw[b] == 0xA5);
    check(info.bytesUsed <= size && info.bytesUsed <= kPresetFileSize && info.bytesUsed % 4 == 0);
    check(info.hasVersion == (size >= 4));
    check(info.missingSettings().size() <= 39);

    auto bytes = serializePreset(*first);
    PresetReadInfo again = parsePreset(bytes.data(), bytes.size(), *second);
    check(again.bytesUsed == kPresetFileSize && again.missingSettings().empty());

    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    for (size_t i = 0; i < n; ++i) {
        const SettingInfo& s = table[i];
        if (s.kind == SettingKind::Vector) {
            const Vector3f& a = *settingVector(*first, s);
            const Vector3f& b = *settingVector(*second, s);
            check(vectorStable(a.x, b.x) && vectorStable(a.y, b.y) && vectorStable(a.z, b.z));
        } else {
            check(std::memcmp(raw + s.offset, reinterpret_cast<uint8_t*>(second) + s.offset,
                              settingSize(s)) == 0);
        }
    }

    clampSettings(*first);
    for (size_t i = 0; i < n; ++i) {
        const SettingInfo& s = table[i];
        if (s.kind == SettingKind::Vector) {
            const Vector3f& v = *settingVector(*first, s);
            for (float c : {v.x, v.y, v.z}) check(std::isfinite(c));
        } else if (s.kind != SettingKind::Colour) {
            int32_t v = *settingInt(*first, s);
            check(v >= s.minValue && v <= s.maxValue);
        }
    }
    delete first;
    delete second;
    return 0;
}
