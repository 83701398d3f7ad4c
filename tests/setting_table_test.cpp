#include "host/setting_table.h"

#include <gtest/gtest.h>

#include <cstring>
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
    SunParameters p;
    std::memset(&p, 0, sizeof p);
    p.sunRadius = 250;
    p.spikeWidth = -3;
    p.vortices = 7;
    p.blendMode = 12;
    p.lightingMode = 0;
    p.seed = 2048 + 5;
    p.spikeCount = 1000;
    clampSettings(p);
    EXPECT_EQ(p.sunRadius, 100);
    EXPECT_EQ(p.spikeWidth, 0);
    EXPECT_EQ(p.vortices, 1);
    EXPECT_EQ(p.blendMode, 1);
    EXPECT_EQ(p.lightingMode, 1);
    EXPECT_EQ(p.seed, 5);
    EXPECT_EQ(p.spikeCount, 100);

    p.blendMode = 11;
    p.lightingMode = 3;
    p.seed = -1;
    clampSettings(p);
    EXPECT_EQ(p.blendMode, 11);
    EXPECT_EQ(p.lightingMode, 3);
    EXPECT_EQ(p.seed, 2047);
}

}  // namespace
}  // namespace rx
