#include "settings/preset_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/types/setting_table.h"
#include "platform/user_files.h"

namespace rx {

namespace {

using K = PresetValueKind;
using C = PresetConversion;

#define RX_INT(name, from) \
    { #name, K::Integer, 0, from, C::None, 0 }
#define RX_INT_OLD(name, from, conv, below) \
    { #name, K::Integer, 0, from, C::conv, below }
#define RX_RGB(name, from)                                                              \
    {#name, K::Colour, 0, from, C::None, 0}, {#name, K::Colour, 1, from, C::None, 0}, { \
#name, K::Colour, 2, from, C::None, 0                                           \
    }
#define RX_XYZ(name, from)                                                              \
    {#name, K::Vector, 0, from, C::None, 0}, {#name, K::Vector, 1, from, C::None, 0}, { \
#name, K::Vector, 2, from, C::None, 0                                           \
    }

const PresetSlot kLayout[kPresetValueCount] = {
    {nullptr, K::Version, 0, 1, C::None, 0},
    RX_RGB(sunColor, 1),
    RX_RGB(flareColor, 1),
    RX_RGB(haloColor, 1),
    RX_INT(spikeBrightness, 1),
    RX_INT(spikeWidth, 1),
    RX_INT(spikeRadius, 1),
    RX_INT(spikeCount, 1),
    RX_INT(sunRadius, 1),
    RX_INT(sunColdHot, 1),
    RX_INT(sunSmear, 1),
    RX_INT(swirlSize, 1),
    RX_INT(swirlCount, 1),
    RX_INT(sunDetail, 1),
    RX_INT(spikeGamma, 1),
    RX_INT(vortices, 1),
    RX_INT(monopoles, 1),
    RX_INT(haloRadius, 1),
    RX_INT_OLD(haloBrightness, 1, HundredMinus, 15),
    RX_INT(bowRadius, 1),
    RX_INT(bowWidth, 1),
    RX_INT(bowBrightness, 1),
    RX_INT(flareWidth, 1),
    RX_INT(flareCount, 1),
    RX_RGB(haloColor2, 1),
    RX_RGB(spikeColor, 1),
    RX_RGB(extraColor, 2),
    RX_INT(bowSmear, 2),
    RX_INT(flareRadius, 2),
    RX_INT_OLD(lightingMode, 2, AddOne, 11),
    RX_INT(blendMode, 3),
    {nullptr, K::Constant, 0, 3, C::None, 0},
    RX_INT(masterBrightness, 4),
    RX_INT(flareDetail, 4),
    RX_INT(bowInvert, 4),
    RX_INT(spikeDiffraction, 5),
    RX_INT_OLD(spikeDetail, 5, HundredMinus, 13),
    RX_XYZ(spikeVector, 8),
    RX_XYZ(flareVector, 8),
    RX_INT(seed, 12),
    RX_INT(flareBrightness, 14),
    {nullptr, K::Constant, 0, 16, C::None, 0},
};

#undef RX_INT
#undef RX_INT_OLD
#undef RX_RGB
#undef RX_XYZ

// The setting-table entry of each slot, looked up once.
const SettingInfo* slotSetting(size_t i) {
    static const SettingInfo* const* resolved = [] {
        static const SettingInfo* table[kPresetValueCount];
        for (size_t s = 0; s < kPresetValueCount; ++s)
            table[s] = kLayout[s].setting ? findSetting(kLayout[s].setting) : nullptr;
        return table;
    }();
    return resolved[i];
}

int32_t loadBigEndian(const uint8_t* b) {
    uint32_t u = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
    return static_cast<int32_t>(u);
}

void storeBigEndian(uint8_t* b, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    b[0] = uint8_t(u >> 24);
    b[1] = uint8_t(u >> 16);
    b[2] = uint8_t(u >> 8);
    b[3] = uint8_t(u);
}

// Old files may hold anything; the conversions wrap like the 32-bit values they are.
int32_t convertStored(int32_t stored, const PresetSlot& slot, int32_t version) {
    if (slot.conversion == C::None || version >= slot.belowVersion) return stored;
    uint32_t u = static_cast<uint32_t>(stored);
    if (slot.conversion == C::HundredMinus) return static_cast<int32_t>(100u - u);
    return static_cast<int32_t>(u + 1u);
}

float& vectorComponent(Vector3f& v, int component) {
    return component == 0 ? v.x : component == 1 ? v.y : v.z;
}

uint16_t& colourComponent(RGB16& c, int component) {
    return component == 0 ? c.red : component == 1 ? c.green : c.blue;
}

void storeSlot(SunParameters& p, const PresetSlot& slot, const SettingInfo& s, int32_t stored,
               int32_t version) {
    switch (slot.kind) {
        case K::Integer: *settingInt(p, s) = convertStored(stored, slot, version); break;
        case K::Colour:
            colourComponent(*settingColour(p, s), slot.component) =
                static_cast<uint16_t>(static_cast<uint32_t>(stored) & 0xFFFFu);
            break;
        case K::Vector:
            vectorComponent(*settingVector(p, s), slot.component) =
                static_cast<float>(static_cast<float>(stored) * 0.01);
            break;
        default: break;
    }
}

// Old files lack settings that later versions added in a form that changed their look.
void applyOldFileFixUps(SunParameters& p, int32_t version) {
    if (version < 7) {
        p.spikeColor = p.sunColor;
        p.spikeDiffraction = 100;
        p.spikeGamma = 50;
    }
    if (version < 9) p.bowSmear = 0;
}

}  // namespace

const PresetSlot* presetLayout(size_t* count) {
    *count = kPresetValueCount;
    return kLayout;
}

size_t PresetReadInfo::expectedSize() const {
    if (!hasVersion) return 4;
    size_t n = 0;
    for (const PresetSlot& slot : kLayout)
        if (slot.kind == K::Version || slot.fromVersion <= version) n += 4;
    return n;
}

std::vector<std::string> PresetReadInfo::missingSettings() const {
    std::vector<std::string> names;
    for (size_t i = 0; i < kPresetValueCount; ++i) {
        const char* name = kLayout[i].setting;
        if (!name || slotRead[i]) continue;
        if (names.empty() || names.back() != name) names.emplace_back(name);
    }
    return names;
}

PresetReadInfo parsePreset(const uint8_t* data, size_t size, SunParameters& p) {
    PresetReadInfo info;
    info.bytesGiven = size;
    if (size < 4) return info;
    info.hasVersion = true;
    info.version = loadBigEndian(data);
    info.slotRead[0] = true;
    size_t at = 4;
    for (size_t i = 1; i < kPresetValueCount; ++i) {
        const PresetSlot& slot = kLayout[i];
        if (slot.fromVersion > info.version) continue;
        if (size - at < 4) break;  // a short file: the rest keep their values
        int32_t stored = loadBigEndian(data + at);
        at += 4;
        info.slotRead[i] = true;
        if (const SettingInfo* s = slotSetting(i)) storeSlot(p, slot, *s, stored, info.version);
    }
    info.bytesUsed = at;
    applyOldFileFixUps(p, info.version);
    return info;
}

int32_t presetVectorValue(float component) {
    double scaled = static_cast<double>(component) * 100.0;
    if (!(scaled == scaled)) return 0;  // NaN
    if (scaled >= 2147483647.0) return 2147483647;
    if (scaled <= -2147483648.0) return -2147483647 - 1;
    // A component such as 0.7 is 0.69999999 in single precision; truncating would write
    // 69 and every save of a loaded file would lose another hundredth. Within the float's
    // rounding of a whole number, that number is meant.
    double whole = std::nearbyint(scaled);
    double tolerance = std::fmax(0.001, std::fabs(scaled) * 1.2e-7);
    if (std::fabs(scaled - whole) <= tolerance) return static_cast<int32_t>(whole);
    return static_cast<int32_t>(std::trunc(scaled));
}

std::array<uint8_t, kPresetFileSize> serializePreset(const SunParameters& p) {
    std::array<uint8_t, kPresetFileSize> out{};
    for (size_t i = 0; i < kPresetValueCount; ++i) {
        const PresetSlot& slot = kLayout[i];
        int32_t v = 1;  // the constants
        if (slot.kind == K::Version) {
            v = kPresetVersion;
        } else if (const SettingInfo* s = slotSetting(i)) {
            switch (slot.kind) {
                case K::Integer: v = settingInt(p, *s); break;
                case K::Colour: {
                    RGB16 colour = settingColour(p, *s);
                    v = colourComponent(colour, slot.component);
                    break;
                }
                case K::Vector: {
                    Vector3f vector = settingVector(p, *s);
                    v = presetVectorValue(vectorComponent(vector, slot.component));
                    break;
                }
                default: break;
            }
        }
        storeBigEndian(out.data() + 4 * i, v);
    }
    return out;
}

bool writePresetFile(const SunParameters& p, const std::string& path) {
    std::array<uint8_t, kPresetFileSize> bytes = serializePreset(p);
    // A new file renamed over the old one: a longer file written earlier leaves no tail
    // behind, and a failed write (a full disk) keeps the preset that was there.
    return platform::replaceFile(path, bytes.data(), bytes.size());
}

PresetReadInfo readPresetFile(SunParameters& p, const std::string& path) {
    // A FIFO or device put in the cache's place is not waited on.
    std::vector<uint8_t> bytes;
    std::string error;
    if (platform::readRegularFile(path, kPresetFileSize, true, bytes, error) !=
        platform::ReadResult::Ok)
        return PresetReadInfo{};
    return parsePreset(bytes.data(), bytes.size(), p);
}

void writePresetFile(FilterSession& session, const std::string& path) {
    if (SunParameters* p = sunParameters(session)) writePresetFile(*p, path);
}

void readPresetFile(FilterSession& session, const std::string& path) {
    if (SunParameters* p = sunParameters(session)) readPresetFile(*p, path);
}

}  // namespace rx
