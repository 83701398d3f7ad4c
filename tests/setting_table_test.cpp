#include "host/types/setting_table.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>

namespace rx {
namespace {

TEST(SettingTable, NamesAreUniqueAndFieldsDoNotOverlap) {
    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    std::set<std::string> names;
    std::set<size_t> offsets;
    for (size_t i = 0; i < n; ++i) {
        EXPECT_TRUE(names.insert(table[i].name).second) << table[i].name;
        EXPECT_TRUE(offsets.insert(table[i].offset).second) << table[i].name;
        EXPECT_EQ(findSetting(table[i].name), &table[i]);
        // A slider of the dialog has a label and a section (its value box's colour).
        if (table[i].kind == SettingKind::Slider || table[i].kind == SettingKind::Count) {
            EXPECT_TRUE(table[i].label && table[i].section != DialogSection::None) << table[i].name;
        }
    }
    EXPECT_EQ(findSetting("noSuchSetting"), nullptr);
    EXPECT_EQ(findSetting("sunRadius")->offset, offsetof(SunParameters, sunRadius));
}

TEST(SettingTable, ClampBringsForeignValuesIntoRange) {
    // A setting, a value from another record, what clamping makes of it: numbers to the
    // nearest end, modes (1-based) to the first, the seed to its low 11 bits.
    const struct {
        const char* name;
        int32_t value, clamped;
    } cases[] = {{"sunRadius", 250, 100},   {"spikeWidth", -3, 0},  {"vortices", 7, 1},
                 {"spikeCount", 1000, 100}, {"blendMode", 12, 1},   {"blendMode", 11, 11},
                 {"lightingMode", 0, 1},    {"lightingMode", 3, 3}, {"seed", 2048 + 5, 5},
                 {"seed", -1, 2047}};
    for (const auto& c : cases) {
        SunParameters p{};
        int32_t* field = settingInt(p, *findSetting(c.name));
        *field = c.value;
        clampSettings(p);
        EXPECT_EQ(*field, c.clamped) << c.name << " " << c.value;
    }
}

}  // namespace
}  // namespace rx
