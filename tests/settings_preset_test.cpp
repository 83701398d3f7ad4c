// Preset files: layout, every version's conversions and fix-ups, short and odd files, the
// vector rounding that keeps repeated saves from drifting, and the file forms. Damaged and
// foreign data go through the preset fuzz target.
#include "settings/preset_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "host/types/setting_table.h"
#include "host_test_support.h"

namespace rx {
namespace {

using testing::defaults;

size_t settingSize(const SettingInfo& s) {
    return s.kind == SettingKind::Colour   ? sizeof(RGB16)
           : s.kind == SettingKind::Vector ? sizeof(Vector3f)
                                           : sizeof(int32_t);
}

// A record whose every setting differs from its default.
SunParameters distinctSettings() {
    SunParameters p = defaults();
    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    for (size_t i = 0; i < n; ++i) {
        const SettingInfo& s = table[i];
        if (s.kind == SettingKind::Colour) {
            *settingColour(p, s) =
                RGB16{uint16_t(0x1000 + i), uint16_t(0x2000 + i), uint16_t(0xF000 + i)};
        } else if (s.kind == SettingKind::Vector) {
            *settingVector(p, s) = Vector3f{0.25f + float(i), -0.5f, 0.13f};
        } else {
            *settingInt(p, s) = int32_t(i) + 2;
        }
    }
    return p;
}

// Stores `v` big-endian at `offset`, as the file does.
void putValue(std::vector<uint8_t>& b, size_t offset, int32_t v) {
    for (int i = 0; i < 4; ++i) b[offset + size_t(i)] = uint8_t(uint32_t(v) >> (24 - 8 * i));
}

// A complete version 16 file of `p` with another version number. Versions from 8 on lay
// the fields out at the same offsets, only shorter.
std::vector<uint8_t> fileOfVersion(const SunParameters& p, int32_t version) {
    auto bytes = serializePreset(p);
    std::vector<uint8_t> b(bytes.begin(), bytes.end());
    putValue(b, 0, version);
    return b;
}

// Whether setting `name` holds the same bytes in both records.
bool same(const SunParameters& a, const SunParameters& b, const char* name) {
    const SettingInfo* s = findSetting(name);
    return std::memcmp(reinterpret_cast<const char*>(&a) + s->offset,
                       reinterpret_cast<const char*>(&b) + s->offset, settingSize(*s)) == 0;
}

TEST(PresetLayout, CarriesEverySettingOnceAtItsOffset) {
    size_t n = 0;
    const PresetSlot* layout = presetLayout(&n);
    ASSERT_EQ(n, 58u);
    std::set<std::string> seen;
    int32_t lastFrom = 1;
    for (size_t i = 0; i < n; ++i) {
        EXPECT_GE(layout[i].fromVersion, lastFrom) << "slot " << i;  // newer fields come later
        lastFrom = layout[i].fromVersion;
        if (!layout[i].setting) continue;
        const SettingInfo* s = findSetting(layout[i].setting);
        ASSERT_NE(s, nullptr) << layout[i].setting;
        bool multi = s->kind == SettingKind::Colour || s->kind == SettingKind::Vector;
        EXPECT_EQ(layout[i].kind, s->kind == SettingKind::Colour   ? PresetValueKind::Colour
                                  : s->kind == SettingKind::Vector ? PresetValueKind::Vector
                                                                   : PresetValueKind::Integer);
        if (!multi || layout[i].component == 0) {
            EXPECT_TRUE(seen.insert(s->name).second) << s->name;
        }
    }
    size_t count = 0;
    settingTable(&count);
    EXPECT_EQ(seen.size(), count);  // every user setting is saved
}

// Vectors are kept as hundredths truncated toward zero, but a float's rounding of a whole
// number of hundredths (0.7f is 0.69999999) writes that number, also for large values, so
// that repeated saves do not drift. Round trips of any stored value are the fuzz target's.
TEST(PresetFile, VectorsKeepTwoDecimalsTruncatedTowardZero) {
    const struct {
        float v;
        int32_t stored;
    } known[] = {{0.7f, 70},           {-0.7f, -70},
                 {0.567f, 56},         {0.29f, 29},
                 {-0.01f, -1},         {-0.567f, -56},
                 {0.6999f, 69},        {1024.07f, 102407},
                 {-1234.56f, -123456}, {-1e30f, -2147483647 - 1},
                 {std::nanf(""), 0},   {1e30f, 2147483647}};
    for (const auto& k : known) EXPECT_EQ(presetVectorValue(k.v), k.stored) << k.v;
}

TEST(PresetFile, VersionOneFileTakesItsFixUps) {
    // Version 1: the version and 35 values, up to spikeColor.
    SunParameters src = distinctSettings();
    std::vector<uint8_t> b = fileOfVersion(src, 1);
    b.resize(144);
    putValue(b, 96, 30);  // halo brightness, stored the other way round
    SunParameters p = defaults();
    p.extraColor = RGB16{1, 2, 3};
    SunParameters before = p;
    PresetReadInfo info = parsePreset(b.data(), b.size(), p);
    EXPECT_EQ(info.bytesUsed, 144u);
    EXPECT_EQ(info.expectedSize(), 144u);

    for (const char* name : {"spikeBrightness", "flareCount", "haloColor2", "sunColor"})
        EXPECT_TRUE(same(p, src, name)) << name;
    EXPECT_EQ(p.haloBrightness, 70);
    // Absent from version 1: keep what the record held.
    for (const char* name : {"extraColor", "flareRadius", "lightingMode", "blendMode",
                             "masterBrightness", "seed", "flareBrightness", "spikeVector"})
        EXPECT_TRUE(same(p, before, name)) << name;
    // Fix-ups of files before versions 7 and 9.
    EXPECT_EQ(std::memcmp(&p.spikeColor, &p.sunColor, sizeof(RGB16)), 0);
    EXPECT_EQ(p.spikeDiffraction, 100);
    EXPECT_EQ(p.spikeGamma, 50);
    EXPECT_EQ(p.bowSmear, 0);

    std::vector<std::string> missing = info.missingSettings();
    std::vector<std::string> expected = {
        "extraColor",       "bowSmear",    "flareRadius", "lightingMode",     "blendMode",
        "masterBrightness", "flareDetail", "bowInvert",   "spikeDiffraction", "spikeDetail",
        "spikeVector",      "flareVector", "seed",        "flareBrightness"};
    EXPECT_EQ(missing, expected);
}

TEST(PresetFile, OldVersionsConvertWhatChangedMeaning) {
    SunParameters src = distinctSettings();
    struct Case {
        int32_t version;
        size_t offset;
        int32_t stored;
        int32_t SunParameters::*field;
        int32_t expected;
    };
    const Case cases[] = {
        {10, 164, 0, &SunParameters::lightingMode, 1},
        {10, 164, 2, &SunParameters::lightingMode, 3},
        {11, 164, 2, &SunParameters::lightingMode, 2},
        {12, 192, 30, &SunParameters::spikeDetail, 70},
        {13, 192, 30, &SunParameters::spikeDetail, 30},
        {14, 96, 30, &SunParameters::haloBrightness, 70},
        {15, 96, 30, &SunParameters::haloBrightness, 30},
        {10, 164, 2147483647, &SunParameters::lightingMode, -2147483647 - 1},  // wraps, no overflow
        {12, 192, -2147483647 - 1, &SunParameters::spikeDetail, -2147483647 - 1 + 100},
        // As written (offset 0): the bow smear reset below 9 only, the seed from 12 on, the
        // flare brightness not before 14.
        {8, 0, 0, &SunParameters::bowSmear, 0},
        {9, 0, 0, &SunParameters::bowSmear, src.bowSmear},
        {8, 0, 0, &SunParameters::spikeGamma, src.spikeGamma},
        {12, 0, 0, &SunParameters::seed, src.seed},
        {12, 0, 0, &SunParameters::flareBrightness, defaults().flareBrightness},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> b = fileOfVersion(src, c.version);
        if (c.offset) putValue(b, c.offset, c.stored);
        SunParameters p = defaults();
        parsePreset(b.data(), b.size(), p);
        EXPECT_EQ(p.*c.field, c.expected) << "version " << c.version << " offset " << c.offset;
    }
    // Versions 12 and 13 lack only the flare brightness; vectors come with 8.
    SunParameters p = defaults();
    PresetReadInfo info = parsePreset(fileOfVersion(src, 12).data(), kPresetFileSize, p);
    EXPECT_EQ(info.bytesUsed, 224u);
    EXPECT_EQ(info.missingSettings(), std::vector<std::string>{"flareBrightness"});
    p = defaults();
    parsePreset(fileOfVersion(src, 8).data(), kPresetFileSize, p);
    EXPECT_EQ(p.spikeVector.x, src.spikeVector.x);
}

TEST(PresetFile, NewerVersionsReadLikeSixteen) {
    SunParameters src = distinctSettings();
    SunParameters as16 = defaults();
    parsePreset(fileOfVersion(src, 16).data(), kPresetFileSize, as16);
    for (int32_t v : {17, 100, 2147483647}) {
        SunParameters p = defaults();
        PresetReadInfo info = parsePreset(fileOfVersion(src, v).data(), kPresetFileSize, p);
        EXPECT_EQ(info.version, v);
        EXPECT_EQ(std::memcmp(&p, &as16, sizeof p), 0) << "version " << v;
    }
}

TEST(PresetFile, ColoursKeepTheLowSixteenBits) {
    std::vector<uint8_t> b = fileOfVersion(distinctSettings(), 16);
    putValue(b, 4, 0x12345678);
    putValue(b, 8, -1);
    putValue(b, 12, 0x10000);
    SunParameters p = defaults();
    parsePreset(b.data(), b.size(), p);
    EXPECT_EQ(p.sunColor.red, 0x5678);
    EXPECT_EQ(p.sunColor.green, 0xFFFF);
    EXPECT_EQ(p.sunColor.blue, 0);
}

// Data that ends inside a value is the fuzz target's (in-bounds reads, whole values only) and
// the version 1 test's (a file of 144 bytes).
TEST(PresetFile, WithoutAWholeVersionNothingIsReadAndNoFixUpApplies) {
    const std::vector<uint8_t> b = fileOfVersion(distinctSettings(), 1);
    for (size_t size : {0, 1, 3}) {
        SunParameters p = defaults();
        p.spikeColor = RGB16{7, 7, 7};  // version 1's fix-up would copy the sun colour here
        const SunParameters before = p;
        EXPECT_FALSE(parsePreset(b.data(), size, p).hasVersion);
        EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << size;
    }
}

class PresetFileOnDisk : public testing::IsolatedCache {
protected:
    std::string path() const { return (dir_ / "look.q4q").string(); }
    void put(const std::vector<uint8_t>& bytes) {
        std::ofstream(path(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
};

TEST_F(PresetFileOnDisk, WriteGivesExactlyTheBytesAlsoOverALongerFile) {
    put(std::vector<uint8_t>(5000, 'x'));
    SunParameters p = distinctSettings();
    ASSERT_TRUE(writePresetFile(p, path()));
    auto expected = serializePreset(p);
    EXPECT_EQ(testing::fileBytes(path()), std::string(expected.begin(), expected.end()));

    // Written as a new file renamed into place: an ordinary document's mode, and a write
    // that cannot happen (no such folder) reports failure instead of leaving debris.
    struct stat st;
    ASSERT_EQ(stat(path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_FALSE(writePresetFile(p, path() + ".missing/inside.q4q"));

    // A missing file or a folder reads as nothing and changes nothing.
    for (const std::string& bad : {path() + ".missing", dir_.string()}) {
        SunParameters back = p;
        EXPECT_FALSE(readPresetFile(back, bad).hasVersion);
        EXPECT_EQ(std::memcmp(&back, &p, sizeof p), 0);
    }
}

TEST_F(PresetFileOnDisk, FilesReadLikeTheirFirstBytesInMemory) {
    std::mt19937 rng(77);
    for (int i = 0; i < 200; ++i) {
        std::vector<uint8_t> f = fileOfVersion(distinctSettings(), 1 + int32_t(rng() % 17));
        f.resize(i == 0 ? 1 << 20 : rng() % 400);  // one large foreign file among them
        for (size_t b = 232; b < f.size(); ++b) f[b] = uint8_t(rng());
        put(f);
        SunParameters fromFile = defaults(), fromMemory = defaults();
        PresetReadInfo info = readPresetFile(fromFile, path());
        parsePreset(f.data(), std::min(f.size(), kPresetFileSize), fromMemory);
        ASSERT_EQ(std::memcmp(&fromFile, &fromMemory, sizeof fromFile), 0) << "size " << f.size();
        ASSERT_EQ(info.bytesGiven, std::min(f.size(), kPresetFileSize));
    }
}

}  // namespace
}  // namespace rx
