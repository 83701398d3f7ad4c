// The golden-image matrix: every case names an image (size, kind, alpha, selection mask),
// the settings that differ from the defaults (as `field=value`, the command line's --set
// syntax) and optionally the sun's centre. The source pictures are made here too, so that
// any host (the in-memory host in the native tests, radiantix.exe under Wine) renders the
// same bytes. The expected hashes live in tests/golden/hashes.txt.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/types/setting_table.h"

namespace rx::golden {

struct GoldenCase {
    std::string name;
    int32_t width = 160;
    int32_t height = 120;
    int32_t planes = 3;  // 1 grey, 3 RGB
    bool alpha = false;
    int32_t depth = 8;  // bits a sample: 8 or 16 (0..65535)
    bool mask = false;
    bool center = false;  // use centerX, centerY instead of the middle of the image
    int32_t centerX = 0;
    int32_t centerY = 0;
    std::vector<std::string> settings;
};

inline std::vector<GoldenCase> goldenMatrix() {
    std::vector<GoldenCase> m;
    auto add = [&](std::string name, std::vector<std::string> settings = {}) -> GoldenCase& {
        GoldenCase c;
        c.name = std::move(name);
        c.settings = std::move(settings);
        m.push_back(c);
        return m.back();
    };
    // A case of another image: size, planes, alpha, mask.
    auto image = [&](std::string name, int32_t w, int32_t h, int32_t planes, bool alpha, bool mask,
                     std::vector<std::string> settings = {}) {
        GoldenCase& c = add(std::move(name), std::move(settings));
        c.width = w, c.height = h, c.planes = planes, c.alpha = alpha, c.mask = mask;
    };
    add("defaults_rgb");
    image("defaults_grey", 160, 120, 1, false, false);
    image("defaults_rgba", 160, 120, 3, true, false);
    image("mask_rgb", 160, 120, 3, false, true);
    image("mask_grey", 160, 120, 1, false, true);
    image("mask_rgba_flares", 160, 120, 3, true, true, {"flareRadius=40", "flareCount=12"});
    for (int b = 1; b <= 11; ++b) {
        add("blend_" + std::to_string(b) + "_rgb", {"blendMode=" + std::to_string(b)});
        add("blend_" + std::to_string(b) + "_grey", {"blendMode=" + std::to_string(b)}).planes = 1;
    }
    for (int l = 1; l <= 3; ++l)
        add("lighting_" + std::to_string(l), {"lightingMode=" + std::to_string(l)});
    add("swirls_off", {"vortices=0", "monopoles=0"});
    add("swirls_vortices", {"monopoles=0", "sunSmear=60"});
    add("swirls_monopoles", {"vortices=0", "sunSmear=60"});
    add("swirls_heavy", {"swirlCount=30", "sunSmear=100", "swirlSize=100", "sunRadius=60"});
    // Every slider and count at both ends, on a smaller sun whose halo, bow and flare all
    // lie inside the picture.
    const std::vector<std::string> look = {"sunRadius=10",      "haloRadius=30",  "bowRadius=20",
                                           "bowWidth=20",       "flareRadius=30", "flareCount=8",
                                           "haloColor=#ff8040", "sunSmear=40"};
    add("look", look);
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    for (size_t i = 0; i < count; ++i) {
        const SettingInfo& s = table[i];
        if (s.kind != SettingKind::Slider && s.kind != SettingKind::Count) continue;
        for (int32_t v : {s.minValue, s.maxValue}) {
            std::vector<std::string> settings = look;
            settings.push_back(std::string(s.name) + "=" + std::to_string(v));
            add(std::string(v == s.minValue ? "min_" : "max_") + s.name, settings);
        }
    }
    add("toggle_bowInvert", {"bowInvert=1", "bowRadius=10", "bowWidth=30"});
    for (int seed : {0, 1, 777, 2047})
        add("seed_" + std::to_string(seed),
            {"seed=" + std::to_string(seed), "flareRadius=50", "flareCount=8"});
    add("flares_wide", {"flareRadius=45", "flareCount=20", "flareWidth=90", "flareBrightness=100",
                        "flareVector=0.2,-0.1,0"});
    add("spikes_many_thin", {"spikeCount=100", "spikeWidth=0", "spikeVector=0.95,0,0"});
    add("colours",
        {"sunColor=#3060ff", "flareColor=#ff2000", "haloColor=#80ff40", "spikeColor=#00ffff"});
    image("size_1x1", 1, 1, 3, false, false);
    image("size_1_row", 53, 1, 3, false, false);
    image("size_1_column", 1, 47, 1, false, false);
    image("size_odd", 37, 23, 3, false, false, {"sunRadius=8"});
    image("size_odd_rgba_grey_mask", 29, 31, 1, true, true);
    add("center_corner").center = true;  // at (0, 0)
    GoldenCase& outside = add("center_outside", {"haloRadius=100"});
    outside.center = true, outside.centerX = -30, outside.centerY = 70;
    // 16-bit images: defaults, each kind of image, and modes that show the source.
    image("deep_defaults_rgb", 160, 120, 3, false, false);
    image("deep_screen_grey", 160, 120, 1, false, false, {"blendMode=10"});
    image("deep_composite_rgba_mask", 160, 120, 3, true, true, {"blendMode=11", "flareCount=12"});
    image("deep_procedural_rgb", 160, 120, 3, false, false, {"blendMode=2", "lightingMode=2"});
    image("deep_difference_look", 160, 120, 3, false, false, look);
    m.back().settings.push_back("blendMode=4");
    for (GoldenCase& c : m)
        if (c.name.rfind("deep_", 0) == 0) c.depth = 16;
    return m;
}

// The source picture of a case: a smooth diagonal gradient with a little texture, so that
// every blend mode meets varied source values. Interleaved, planes then alpha. `top` is the
// gradient's full scale (folded back beyond it), `rows` its rise down the picture, `shift`
// leaves the texture's top bits; samples are scaled from `top` to `range`.
template <typename Sample>
std::vector<Sample> gradientPicture(const GoldenCase& c, int64_t top, int64_t rows, int shift,
                                    int64_t range) {
    const int32_t ch = c.planes + (c.alpha ? 1 : 0);
    std::vector<Sample> px(size_t(c.width) * c.height * ch);
    for (int32_t y = 0; y < c.height; ++y)
        for (int32_t x = 0; x < c.width; ++x)
            for (int32_t z = 0; z < ch; ++z) {
                const uint32_t texture = (uint32_t(x * 7 + y * 13 + z * 29) * 2654435761u) >> shift;
                const int64_t v = (x * top) / (c.width > 1 ? c.width - 1 : 1) * (z + 1) / 3 +
                                  (y * rows) / (c.height > 1 ? c.height - 1 : 1) * (3 - z) / 4 +
                                  int64_t(texture);
                const int64_t folded = v > top ? (2 * top - v < 0 ? 0 : 2 * top - v) : v;
                px[(size_t(y) * c.width + x) * ch + z] = Sample(folded * range / top);
            }
    return px;
}

inline std::vector<uint8_t> goldenPixels(const GoldenCase& c) {
    return gradientPicture<uint8_t>(c, 255, 200, 27, 255);
}

// The 16-bit source picture on a 16-bit range: the same gradient at full precision, its
// texture in the low bits as well.
inline std::vector<uint16_t> goldenPixels16(const GoldenCase& c, int32_t range) {
    return gradientPicture<uint16_t>(c, 65535, 51400, 19, range);
}

// 16-bit samples as bytes in the machine's order.
inline std::vector<uint8_t> sampleBytes(const std::vector<uint16_t>& samples) {
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

// The source picture's bytes at the case's depth.
inline std::vector<uint8_t> goldenBytes(const GoldenCase& c) {
    return c.depth == 16 ? sampleBytes(goldenPixels16(c, 65535)) : goldenPixels(c);
}

// The selection of a case with a mask: a soft-edged disc left of the middle.
inline std::vector<uint8_t> goldenMask(const GoldenCase& c) {
    std::vector<uint8_t> mask(size_t(c.width) * c.height);
    const int32_t mx = c.width / 3, my = c.height / 2,
                  r = (c.width < c.height ? c.width : c.height) / 2 + 1;
    for (int32_t y = 0; y < c.height; ++y)
        for (int32_t x = 0; x < c.width; ++x) {
            const int32_t d2 = (x - mx) * (x - mx) + (y - my) * (y - my);
            const int32_t v = 255 - (d2 * 255) / (r * r);
            mask[size_t(y) * c.width + x] = uint8_t(v < 0 ? 0 : v);
        }
    return mask;
}

// FNV-1a, 64 bits, over the whole image (all planes, alpha included), in hexadecimal.
inline std::string goldenHash(const std::vector<uint8_t>& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

}  // namespace rx::golden
