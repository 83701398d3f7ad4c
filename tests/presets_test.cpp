// The preset library shipped in presets/: every look lies within the settings' ranges,
// renders through the entry point and differs from the others. That the files, their count
// and their index are what tools/make_presets.sh writes, and read back to the same bytes, is
// checked by tests/presets/check_presets.sh.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/image_io.h"
#include "app/memory_host.h"
#include "host/default_record.h"
#include "host/session.h"
#include "host/types/setting_table.h"
#include "settings/preset_file.h"

namespace rx {
namespace {

// Each look, read over the defaults as a preset load does, lies within the settings' ranges
// and renders onto a small built-in sky through the statically linked entry point.
TEST(PresetLibrary, EveryLookIsWithinRangeRendersOntoASkyAndNoTwoLooksAreAlike) {
    const cli::Image sky = cli::builtInSky(300, 200);
    std::map<std::vector<uint8_t>, std::string> seen;
    for (const auto& e : std::filesystem::directory_iterator(RADIANTIX_SOURCE_DIR "/presets")) {
        const std::filesystem::path& f = e.path();
        if (f.extension() != ".q4q") continue;
        SCOPED_TRACE(f.filename().string());
        SunParameters preset;
        MakeDefaultRecord(preset);
        ASSERT_EQ(readPresetFile(preset, f.string()).version, kPresetVersion);
        SunParameters clamped = preset;
        clampSettings(clamped);
        EXPECT_EQ(std::memcmp(&clamped, &preset, sizeof preset), 0) << "a value out of range";
        EXPECT_EQ(std::memcmp(&preset.haloColor2, &preset.haloColor, sizeof preset.haloColor), 0)
            << "haloColor2 must copy haloColor";
        // A library look goes onto a picture: "normal" would replace the picture by the sun.
        EXPECT_NE(preset.blendMode, 1);
        EXPECT_LE(preset.flareCount, 20) << "beyond what the dialog's slider can show";

        HostImage img = HostImage::make(sky.width, sky.height, 3);
        img.pixels = sky.pixels;
        MemoryHost host(std::move(img), MemoryHostOptions{});
        host.afterPrepare = [&](MemoryHost& h) {
            // The settings a preset carries, over the record the host keeps.
            parsePreset(serializePreset(preset).data(), kPresetFileSize,
                        *static_cast<SunParameters*>(h.parameters()));
        };
        ASSERT_EQ(host.runFilter(&ENTRYPOINT), 0);
        const std::vector<uint8_t>& out = host.image().pixels;
        EXPECT_NE(out, sky.pixels) << "the look leaves the picture unchanged";
        auto [it, fresh] = seen.emplace(out, f.stem().string());
        EXPECT_TRUE(fresh) << "renders exactly like " << it->second;
    }
}

}  // namespace
}  // namespace rx
