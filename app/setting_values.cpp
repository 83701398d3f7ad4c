#include "app/setting_values.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rx::cli {

namespace {

std::string trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
    return s.substr(a, b - a);
}

bool parseFloat(const std::string& text, float& out) {
    std::string t = trim(text);
    if (t.empty()) return false;
    errno = 0;
    char* end = nullptr;
    float v = std::strtof(t.c_str(), &end);
    // Underflow to a subnormal value is fine; overflow is not.
    if (end != t.c_str() + t.size() || !std::isfinite(v) ||
        (errno == ERANGE && std::fabs(v) >= 1.0f))
        return false;
    out = v;
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const char* kindRangeWord(SettingKind k) {
    switch (k) {
        case SettingKind::Toggle: return "a toggle, 0 or 1";
        case SettingKind::Mode: return "a mode";
        default: return "an integer";
    }
}

}  // namespace

namespace {

// The names the dialog's mode pickers show (ui/mode_lists.cpp), accepted for the values.
struct ModeName {
    const char* field;
    int32_t value;
    const char* name;
};
constexpr ModeName kModeNames[] = {
    {"blendMode", 1, "normal"},       {"blendMode", 2, "procedural +"},
    {"blendMode", 3, "procedural -"}, {"blendMode", 4, "difference"},
    {"blendMode", 5, "lighten"},      {"blendMode", 6, "darken"},
    {"blendMode", 7, "add"},          {"blendMode", 8, "subtract"},
    {"blendMode", 9, "multiply"},     {"blendMode", 10, "screen"},
    {"blendMode", 11, "composite"},   {"lightingMode", 1, "normal"},
    {"lightingMode", 2, "flat"},      {"lightingMode", 3, "eclipse"},
};

// "procedural+" and "Procedural +" name the same mode.
std::string modeKey(const std::string& text) {
    std::string key;
    for (char c : text)
        if (c != ' ') key += char(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

}  // namespace

std::string modeNames(const char* field) {
    std::string out;
    for (const ModeName& m : kModeNames)
        if (std::strcmp(m.field, field) == 0)
            out += (out.empty() ? "" : ", ") + std::string(m.name);
    return out;
}

bool parseInteger(const SettingInfo& s, const std::string& text, int32_t& value,
                  std::string& error) {
    std::string t = trim(text);
    for (const ModeName& m : kModeNames)
        if (std::strcmp(m.field, s.name) == 0 && modeKey(t) == modeKey(m.name)) {
            value = m.value;
            return true;
        }
    errno = 0;
    char* end = nullptr;
    long long v = t.empty() ? 0 : std::strtoll(t.c_str(), &end, 10);
    if (t.empty() || end != t.c_str() + t.size() || errno == ERANGE) {
        error = std::string(s.name) + ": \"" + text + "\" is not " + kindRangeWord(s.kind);
        if (!modeNames(s.name).empty()) error += " or one of " + modeNames(s.name);
        return false;
    }
    if (v < s.minValue || v > s.maxValue) {
        error = std::string(s.name) + ": " + t + " is out of range " + std::to_string(s.minValue) +
                ".." + std::to_string(s.maxValue);
        return false;
    }
    value = int32_t(v);
    return true;
}

bool parseColour(const std::string& text, RGB16& colour, std::string& error) {
    std::string t = trim(text);
    size_t digits = t.size() - (t.empty() ? 0 : 1);
    bool ok = !t.empty() && t[0] == '#' && (digits == 6 || digits == 12);
    for (size_t i = 1; ok && i < t.size(); ++i) ok = hexDigit(t[i]) >= 0;
    if (!ok) {
        error = "\"" + text + "\" is not a colour (#rrggbb or #rrrrggggbbbb)";
        return false;
    }
    size_t width = digits / 3;
    uint16_t c[3];
    for (int k = 0; k < 3; ++k) {
        uint32_t v = 0;
        for (size_t i = 0; i < width; ++i) v = v * 16 + uint32_t(hexDigit(t[1 + k * width + i]));
        c[k] = uint16_t(width == 2 ? v * 256 : v);
    }
    colour = {c[0], c[1], c[2]};
    return true;
}

bool parseVector(const std::string& text, Vector3f& vector, std::string& error) {
    float c[3] = {0, 0, 0};
    int n = 0;
    size_t start = 0;
    bool ok = true;
    while (ok) {
        size_t comma = text.find(',', start);
        std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        ok = n < 3 && parseFloat(part, c[n]);
        ++n;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (!ok || n < 2) {
        error = "\"" + text + "\" is not a vector (x,y or x,y,z)";
        return false;
    }
    // -0 is stored as 0: its text form "0" must read back to the same bytes.
    for (float& v : c)
        if (v == 0.0f) v = 0.0f;
    vector = {c[0], c[1], c[2]};
    return true;
}

bool applyAssignment(const std::string& assignment, SunParameters& p, std::string& error) {
    size_t eq = assignment.find('=');
    if (eq == std::string::npos) {
        error = "\"" + assignment + "\" is not of the form field=value";
        return false;
    }
    std::string name = trim(assignment.substr(0, eq));
    std::string value = assignment.substr(eq + 1);
    const SettingInfo* s = findSetting(name.c_str());
    if (!s) {
        error = "unknown field \"" + name + "\" (radiantix render --help lists the fields)";
        return false;
    }
    switch (s->kind) {
        case SettingKind::Colour: {
            RGB16 c;
            if (!parseColour(value, c, error)) {
                error = name + ": " + error;
                return false;
            }
            *settingColour(p, *s) = c;
            return true;
        }
        case SettingKind::Vector: {
            Vector3f v;
            if (!parseVector(value, v, error)) {
                error = name + ": " + error;
                return false;
            }
            *settingVector(p, *s) = v;
            return true;
        }
        default: {
            int32_t v;
            if (!parseInteger(*s, value, v, error)) return false;
            *settingInt(p, *s) = v;
            return true;
        }
    }
}

std::string formatColour(const RGB16& c) {
    char buf[16];
    if ((c.red & 0xFF) == 0 && (c.green & 0xFF) == 0 && (c.blue & 0xFF) == 0)
        std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.red >> 8, c.green >> 8, c.blue >> 8);
    else
        std::snprintf(buf, sizeof buf, "#%04x%04x%04x", c.red, c.green, c.blue);
    return buf;
}

std::string formatFloat(float v) {
    if (v == 0) return "0";
    // Plain decimals, never an exponent (JSON readers and people alike): the fewest digits
    // after the point that read back to the same float.
    char buf[96];
    for (int decimals = 0; decimals <= 60; ++decimals) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, double(v));
        if (std::strtof(buf, nullptr) == v) break;
    }
    return buf;
}

std::string formatVector(const Vector3f& v) {
    return formatFloat(v.x) + "," + formatFloat(v.y) + "," + formatFloat(v.z);
}

std::string settingJson(const SettingInfo& s, const SunParameters& p) {
    switch (s.kind) {
        case SettingKind::Colour: return "\"" + formatColour(settingColour(p, s)) + "\"";
        case SettingKind::Vector: {
            const Vector3f v = settingVector(p, s);
            return "[" + formatFloat(v.x) + ", " + formatFloat(v.y) + ", " + formatFloat(v.z) + "]";
        }
        default: return std::to_string(settingInt(p, s));
    }
}

std::string settingsJsonMembers(const SunParameters& p, int indent) {
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    std::string pad(size_t(indent), ' ');
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        out += pad + "\"" + table[i].name + "\": " + settingJson(table[i], p);
        out += i + 1 < count ? ",\n" : "\n";
    }
    return out;
}

bool settingInRange(const SettingInfo& s, const SunParameters& p) {
    if (s.kind == SettingKind::Colour || s.kind == SettingKind::Vector) return true;
    const int32_t v = settingInt(p, s);
    return v >= s.minValue && v <= s.maxValue;
}

}  // namespace rx::cli
