// The property-list reader of the Windows loader. (The command line's settings syntax is
// the command line test's, and the setting value fuzz target's.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/pipl.h"
#include "host/types/plugin_api.h"

namespace rx::cli {
namespace {

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
