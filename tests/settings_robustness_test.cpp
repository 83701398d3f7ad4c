// Damaged and foreign files into the preset reader: random, truncated, oversized and
// bit-flipped data. The reader must never read past the data, must touch nothing but the
// settings, and clampSettings must bring whatever it read into the renderer's ranges.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "host/default_record.h"
#include "host/setting_table.h"
#include "settings/preset_file.h"

namespace rx {
namespace {

SunParameters defaults() {
    SunParameters p;
    std::memset(&p, 0, sizeof p);
    ApplyDefaults(p);
    return p;
}

// Runs of SunParameters bytes outside every setting: a read must not change them.
struct ByteRun {
    size_t at, size;
};
std::vector<ByteRun> bytesOutsideSettings() {
    std::vector<bool> inSetting(sizeof(SunParameters), false);
    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    for (size_t i = 0; i < n; ++i) {
        size_t size = table[i].kind == SettingKind::Colour   ? sizeof(RGB16)
                      : table[i].kind == SettingKind::Vector ? sizeof(Vector3f)
                                                             : sizeof(int32_t);
        for (size_t b = 0; b < size; ++b) inSetting[table[i].offset + b] = true;
    }
    std::vector<ByteRun> runs;
    for (size_t at = 0; at < inSetting.size();) {
        size_t end = at;
        while (end < inSetting.size() && inSetting[end] == inSetting[at]) ++end;
        if (!inSetting[at]) runs.push_back({at, end - at});
        at = end;
    }
    return runs;
}

void expectRenderableAfterClamp(SunParameters p) {
    clampSettings(p);
    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    for (size_t i = 0; i < n; ++i) {
        const SettingInfo& s = table[i];
        if (s.kind == SettingKind::Colour) continue;  // every 16-bit value is a colour
        if (s.kind == SettingKind::Vector) {
            const Vector3f& v = *settingVector(p, s);
            for (float c : {v.x, v.y, v.z}) {
                ASSERT_TRUE(std::isfinite(c) && std::fabs(c) <= 1.0e7f) << s.name;
            }
            continue;
        }
        int32_t v = *settingInt(p, s);
        ASSERT_GE(v, s.minValue) << s.name;
        ASSERT_LE(v, s.maxValue) << s.name;
    }
    // What was brought into range is stored and read back as it is.
    SunParameters again = defaults();
    auto bytes = serializePreset(p);
    parsePreset(bytes.data(), bytes.size(), again);
    clampSettings(again);
    for (size_t i = 0; i < n; ++i) {
        const SettingInfo& s = table[i];
        if (s.kind == SettingKind::Vector) continue;  // two decimals
        size_t size = s.kind == SettingKind::Colour ? sizeof(RGB16) : sizeof(int32_t);
        ASSERT_EQ(std::memcmp(reinterpret_cast<char*>(&p) + s.offset,
                              reinterpret_cast<char*>(&again) + s.offset, size),
                  0)
            << s.name;
    }
}

// One file into the reader, from a heap block of exactly its size so that the address
// sanitizer sees any read past it.
void feed(const std::vector<uint8_t>& file, const std::vector<ByteRun>& outside) {
    std::vector<uint8_t> exact(file);
    exact.shrink_to_fit();
    SunParameters p = defaults();
    std::memset(p.presetName, 'n', sizeof p.presetName - 1);
    p.sunCenterX = 31;
    p.dialogPending = 1;
    SunParameters before = p;
    PresetReadInfo info = parsePreset(exact.empty() ? nullptr : exact.data(), exact.size(), p);
    ASSERT_LE(info.bytesUsed, exact.size());
    ASSERT_LE(info.bytesUsed, kPresetFileSize);
    ASSERT_EQ(info.bytesUsed % 4, 0u);
    ASSERT_EQ(info.hasVersion, exact.size() >= 4);
    const char* a = reinterpret_cast<const char*>(&p);
    const char* b = reinterpret_cast<const char*>(&before);
    for (const ByteRun& r : outside) {
        ASSERT_EQ(std::memcmp(a + r.at, b + r.at, r.size), 0)
            << "bytes from " << r.at << " changed";
    }
    expectRenderableAfterClamp(p);
}

std::vector<uint8_t> validFile(std::mt19937& rng, int32_t version) {
    SunParameters p = defaults();
    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    for (size_t i = 0; i < n; ++i) {
        const SettingInfo& s = table[i];
        if (s.kind == SettingKind::Colour) {
            *settingColour(p, s) = RGB16{uint16_t(rng()), uint16_t(rng()), uint16_t(rng())};
        } else if (s.kind == SettingKind::Vector) {
            *settingVector(p, s) = Vector3f{int(rng() % 141) * 0.01f - 0.7f, 0.5f, 0.0f};
        } else {
            *settingInt(p, s) = s.minValue + int32_t(rng() % uint32_t(s.maxValue - s.minValue + 1));
        }
    }
    auto bytes = serializePreset(p);
    std::vector<uint8_t> file(bytes.begin(), bytes.end());
    file[0] = uint8_t(uint32_t(version) >> 24);
    file[1] = uint8_t(uint32_t(version) >> 16);
    file[2] = uint8_t(uint32_t(version) >> 8);
    file[3] = uint8_t(version);
    return file;
}

TEST(PresetRobustness, DamagedAndForeignDataStaysInBoundsAndRenderable) {
    const std::vector<ByteRun> outside = bytesOutsideSettings();
    std::mt19937 rng(5150);
    int fed = 0;
    // Random bytes of every small length.
    for (int i = 0; i < 2000; ++i) {
        std::vector<uint8_t> f(rng() % 300);
        for (uint8_t& byte : f) byte = uint8_t(rng());
        ASSERT_NO_FATAL_FAILURE(feed(f, outside));
        ++fed;
    }
    // Good files of every version, cut at every length.
    for (int32_t version : {1, 2, 3, 4, 5, 7, 8, 11, 12, 14, 16, 17}) {
        std::vector<uint8_t> f = validFile(rng, version);
        for (size_t len = 0; len <= f.size(); ++len) {
            ASSERT_NO_FATAL_FAILURE(
                feed(std::vector<uint8_t>(f.begin(), f.begin() + len), outside));
            ++fed;
        }
    }
    // Oversized: a good file followed by junk, and absurd versions.
    for (int i = 0; i < 500; ++i) {
        std::vector<uint8_t> f = validFile(rng, 1 + int32_t(rng() % 20));
        size_t extra = rng() % 4000;
        for (size_t e = 0; e < extra; ++e) f.push_back(uint8_t(rng()));
        if (i % 5 == 0) f[0] = 0x80;  // a negative version: nothing but the fix-ups
        ASSERT_NO_FATAL_FAILURE(feed(f, outside));
        ++fed;
    }
    // Bit flips in good files.
    for (int i = 0; i < 3000; ++i) {
        std::vector<uint8_t> f = validFile(rng, 1 + int32_t(rng() % 17));
        for (int flips = 1 + int(rng() % 8); flips > 0; --flips)
            f[rng() % f.size()] ^= uint8_t(1u << (rng() % 8));
        ASSERT_NO_FATAL_FAILURE(feed(f, outside));
        ++fed;
    }
    EXPECT_GT(fed, 8000);
}

TEST(PresetRobustness, FilesReadLikeTheirFirstBytesInMemory) {
    std::mt19937 rng(77);
    std::string path =
        ::testing::TempDir() + "radiantix_robust_" + std::to_string(getpid()) + ".q4q";
    for (int i = 0; i < 200; ++i) {
        std::vector<uint8_t> f = validFile(rng, 1 + int32_t(rng() % 17));
        f.resize(i == 0 ? 1 << 20 : rng() % 400);  // one large foreign file among them
        for (size_t b = 232; b < f.size(); ++b) f[b] = uint8_t(rng());
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
        }
        SunParameters fromFile = defaults(), fromMemory = defaults();
        PresetReadInfo info = readPresetFile(fromFile, path);
        parsePreset(f.data(), std::min(f.size(), kPresetFileSize), fromMemory);
        ASSERT_EQ(std::memcmp(&fromFile, &fromMemory, sizeof fromFile), 0) << "size " << f.size();
        ASSERT_EQ(info.bytesGiven, std::min(f.size(), kPresetFileSize));
    }
    std::remove(path.c_str());
}

}  // namespace
}  // namespace rx
