// The command line's settings syntax and the property-list reader of the Windows loader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "app/pipl.h"
#include "app/setting_values.h"
#include "host/default_record.h"
#include "host/types/setting_table.h"

namespace rx::cli {
namespace {

std::unique_ptr<SunParameters> defaults() {
    std::unique_ptr<SunParameters> p(new SunParameters);
    MakeDefaultRecord(*p);
    return p;
}

TEST(CliSettingValues, AssignmentsOfEveryKindReachTheirField) {
    auto p = defaults();
    std::string error;
    for (const char* a :
         {"sunRadius=40", "blendMode=11", "vortices=0", "seed=2047", "sunColor=#ffce08",
          "haloColor=#0102ABCDef00", "spikeVector=0.3,-0.2,0", "flareVector=0.5,0.25"})
        ASSERT_TRUE(applyAssignment(a, *p, error)) << a << ": " << error;
    EXPECT_TRUE(p->sunRadius == 40 && p->blendMode == 11 && p->vortices == 0 && p->seed == 2047);
    // A chosen 8-bit component is stored as value x 256, as the dialog stores it.
    const RGB16 sun{0xFF00, 0xCE00, 0x0800}, halo{0x0102, 0xABCD, 0xEF00};
    EXPECT_EQ(std::memcmp(&p->sunColor, &sun, sizeof sun), 0);
    EXPECT_EQ(std::memcmp(&p->haloColor, &halo, sizeof halo), 0);
    const Vector3f spike{0.3f, -0.2f, 0.0f}, flare{0.5f, 0.25f, 0.0f};
    EXPECT_EQ(std::memcmp(&p->spikeVector, &spike, sizeof spike), 0);
    EXPECT_EQ(std::memcmp(&p->flareVector, &flare, sizeof flare), 0);
    // Fields next to the changed ones keep their defaults.
    EXPECT_TRUE(p->sunColdHot == 100 && p->spikeCount == 10);
}

TEST(CliSettingValues, BadAssignmentsAreRefusedAndChangeNothing) {
    // No '=', unknown field, out of range (modes are 1-based), trailing garbage, empty,
    // overflow; colours without '#', of the wrong length or not hex; vectors of one or four
    // components, not floats or not finite.
    const std::vector<const char*> groups[] = {
        {"sunRadius", "noSuchField=1", "sunRadius=101", "sunRadius=-1", "blendMode=0"},
        {"lightingMode=4", "vortices=2", "seed=2048", "sunRadius=4x", "sunRadius="},
        {"sunRadius=99999999999999999999", "sunColor=ffce08", "sunColor=#ffce0"},
        {"sunColor=#gg0000", "spikeVector=0.3", "spikeVector=1,2,3,4", "spikeVector=a,b"},
        {"spikeVector=1e99,0", "spikeVector=nan,0"}};
    const auto before = defaults();
    for (const auto& group : groups)
        for (const char* a : group) {
            auto p = defaults();
            std::string error;
            EXPECT_FALSE(applyAssignment(a, *p, error)) << a;
            EXPECT_TRUE(!error.empty() && error.find('\n') == std::string::npos)
                << a << ": " << error;
            EXPECT_EQ(std::memcmp(p.get(), before.get(), sizeof(SunParameters)), 0) << a;
            if (std::strcmp(a, "sunRadius=101") == 0) {
                EXPECT_NE(error.find("0..100"), std::string::npos) << error;
            }
        }
}

TEST(CliSettingValues, JsonAndTextFormsReadBackExactly) {
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        RGB16 c{uint16_t(rng()), uint16_t(rng()), uint16_t(rng())};
        if (i % 2)
            c = {uint16_t(c.red & 0xFF00), uint16_t(c.green & 0xFF00), uint16_t(c.blue & 0xFF00)};
        RGB16 back{};
        std::string error;
        std::string text = formatColour(c);
        ASSERT_TRUE(parseColour(text, back, error)) << text;
        EXPECT_EQ(std::memcmp(&c, &back, sizeof c), 0) << text;
        EXPECT_EQ(text.size(), i % 2 ? 7u : 13u) << text;

        uint32_t bits = rng();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (!std::isfinite(f)) continue;
        Vector3f v{f, -f / 3, 0.7f}, w{};
        ASSERT_TRUE(parseVector(formatVector(v), w, error)) << formatVector(v);
        EXPECT_EQ(std::memcmp(&v, &w, sizeof v), 0) << formatVector(v);
        EXPECT_EQ(formatVector(v).find_first_of("eE"), std::string::npos) << formatVector(v);
    }
    // Plain decimals, never an exponent: JSON readers and people read these.
    EXPECT_EQ(formatFloat(2e7f), "20000000");
    EXPECT_EQ(formatFloat(1e-5f), "0.00001");
    // Every setting of a record has its member in the JSON text (the values' forms are the
    // command line test's, through `preset show`).
    auto p = defaults();
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    std::string members = settingsJsonMembers(*p, 2);
    for (size_t i = 0; i < count; ++i)
        EXPECT_NE(members.find("  \"" + std::string(table[i].name) + "\": "), std::string::npos)
            << table[i].name;
}

// Property lists built as a resource compiler lays them out.
struct PiplBuilder {
    std::vector<uint8_t> bytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    uint32_t count = 0;
    void le32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
    }
    void property(uint32_t key, const std::vector<uint8_t>& data, bool padLength = true) {
        le32(fourCC('8', 'B', 'I', 'M'));
        le32(key);
        le32(0);
        size_t padded = (data.size() + 3) & ~size_t(3);
        le32(uint32_t(padLength ? padded : data.size()));
        bytes.insert(bytes.end(), data.begin(), data.end());
        bytes.resize(bytes.size() + padded - data.size(), 0);
        ++count;
        for (int i = 0; i < 4; ++i) bytes[6 + i] = uint8_t(count >> (8 * i));
    }
    static std::vector<uint8_t> code(uint32_t c) {
        return {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), uint8_t(c >> 24)};
    }
    static std::vector<uint8_t> pascal(const std::string& s) {
        std::vector<uint8_t> v{uint8_t(s.size())};
        v.insert(v.end(), s.begin(), s.end());
        return v;
    }
    static std::vector<uint8_t> cstr(const std::string& s) {
        std::vector<uint8_t> v(s.begin(), s.end());
        v.push_back(0);
        return v;
    }
};

TEST(CliPipl, FindsTheEntryPointOfTheRequestedArchitecture) {
    const uint32_t x64 = fourCC('8', '6', '6', '4'), x86 = fourCC('w', 'x', '8', '6');
    PiplBuilder b;
    b.property(fourCC('k', 'i', 'n', 'd'), PiplBuilder::code(fourCC('8', 'B', 'F', 'M')));
    b.property(fourCC('n', 'a', 'm', 'e'), PiplBuilder::pascal("Radiantix..."));
    b.property(fourCC('c', 'a', 't', 'g'), PiplBuilder::pascal("Tallow Forge"));
    b.property(fourCC('v', 'e', 'r', 's'), PiplBuilder::code(0x00040000));
    b.property(x86, PiplBuilder::cstr("Entry32"), false);  // unpadded length, as some tools write
    b.property(x64, PiplBuilder::cstr("ENTRYPOINT"));
    PiplInfo info;
    std::string error;
    ASSERT_TRUE(parsePipl(b.bytes.data(), b.bytes.size(), x64, info, error)) << error;
    EXPECT_TRUE(info.isFilter);
    EXPECT_EQ(info.version, 0x00040000u);
    EXPECT_EQ(info.name, "Radiantix...");
    EXPECT_EQ(info.category, "Tallow Forge");
    EXPECT_EQ(info.entryPoint, "ENTRYPOINT");
    ASSERT_TRUE(parsePipl(b.bytes.data(), b.bytes.size(), x86, info, error)) << error;
    EXPECT_EQ(info.entryPoint, "Entry32");
    EXPECT_TRUE(hostEntryPointKey() == x64 || hostEntryPointKey() == x86);
}

TEST(CliPipl, RefusesBrokenListsWithoutReadingPastThem) {
    PiplBuilder b;
    b.property(fourCC('k', 'i', 'n', 'd'), PiplBuilder::code(fourCC('8', 'B', 'X', 'X')));
    b.property(fourCC('8', '6', '6', '4'), PiplBuilder::cstr("ENTRYPOINT"));
    PiplInfo info;
    std::string error;
    // Not a filter: parses, and says so.
    ASSERT_TRUE(parsePipl(b.bytes.data(), b.bytes.size(), fourCC('8', '6', '6', '4'), info, error));
    EXPECT_FALSE(info.isFilter);
    // Every truncation either parses or fails cleanly; copies make ASan see overreads.
    for (size_t n = 0; n < b.bytes.size(); ++n) {
        std::vector<uint8_t> cut(b.bytes.begin(), b.bytes.begin() + long(n));
        EXPECT_FALSE(parsePipl(cut.data(), cut.size(), fourCC('8', '6', '6', '4'), info, error))
            << n;
    }
    // A count far beyond the data, and a length field that would wrap.
    std::vector<uint8_t> big = b.bytes;
    big[6] = 0xFF, big[7] = 0xFF, big[8] = 0xFF, big[9] = 0x7F;
    EXPECT_FALSE(parsePipl(big.data(), big.size(), 0, info, error));
    std::vector<uint8_t> wrap = b.bytes;
    wrap[10 + 12] = 0xFF, wrap[10 + 13] = 0xFF, wrap[10 + 14] = 0xFF, wrap[10 + 15] = 0xFF;
    EXPECT_FALSE(parsePipl(wrap.data(), wrap.size(), 0, info, error));
}

}  // namespace
}  // namespace rx::cli
