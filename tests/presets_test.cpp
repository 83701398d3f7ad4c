// The preset library shipped in presets/: every file is a current-version preset whose
// settings lie within the settings' ranges and render through the entry point; the looks
// differ from one another. (That the files and their index are exactly what
// tools/make_presets.sh writes, and read back to the same bytes, is checked by
// tests/presets/check_presets.sh.)

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/image_io.h"
#include "app/memory_host.h"
#include "app/setting_values.h"
#include "host/default_record.h"
#include "host/session.h"
#include "host/setting_table.h"
#include "settings/preset_file.h"

namespace rx {
namespace {

namespace fs = std::filesystem;

const fs::path kLibrary = fs::path(RADIANTIX_SOURCE_DIR) / "presets";

std::vector<fs::path> libraryFiles() {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(kLibrary))
        if (e.path().extension() == ".q4q") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The record a preset load gives: defaults, then the file.
SunParameters loaded(const fs::path& path, PresetReadInfo* info = nullptr) {
    SunParameters p;
    MakeDefaultRecord(p);
    PresetReadInfo i = readPresetFile(p, path.string());
    if (info) *info = i;
    return p;
}

TEST(PresetLibrary, EveryFileIsACurrentPresetWithinTheSettingsRanges) {
    for (const fs::path& f : libraryFiles()) {
        SCOPED_TRACE(f.filename().string());
        const std::vector<uint8_t> bytes = fileBytes(f);
        ASSERT_EQ(bytes.size(), kPresetFileSize);

        PresetReadInfo info;
        SunParameters p = loaded(f, &info);
        EXPECT_EQ(info.version, kPresetVersion);

        // Every value already lies in its range: bringing it into range changes nothing.
        SunParameters clamped = p;
        clampSettings(clamped);
        const auto clampedBytes = serializePreset(clamped);
        EXPECT_TRUE(std::equal(clampedBytes.begin(), clampedBytes.end(), bytes.begin()));

        EXPECT_EQ(std::memcmp(&p.haloColor2, &p.haloColor, sizeof p.haloColor), 0)
            << "haloColor2 must copy haloColor";
        // A library look goes onto a picture: "normal" would replace the picture by the sun.
        EXPECT_NE(p.blendMode, 1);
        EXPECT_LE(p.flareCount, 20) << "beyond what the dialog's slider can show";
    }
}

// Each look rendered onto a small built-in sky through the statically linked entry point.
TEST(PresetLibrary, EveryLookRendersOntoASkyAndNoTwoLooksAreAlike) {
    const cli::Image sky = cli::builtInSky(300, 200);
    std::map<std::vector<uint8_t>, std::string> seen;
    for (const fs::path& f : libraryFiles()) {
        SCOPED_TRACE(f.filename().string());
        const SunParameters preset = loaded(f);

        HostImage img = HostImage::make(sky.width, sky.height, 3);
        img.pixels = sky.pixels;
        MemoryHost host(std::move(img), MemoryHostOptions{});
        host.afterPrepare = [&](MemoryHost& h) {
            SunParameters& p = *static_cast<SunParameters*>(h.parameters());
            const int32_t cx = p.sunCenterX, cy = p.sunCenterY;
            // The settings a preset carries, over the record the host keeps.
            parsePreset(serializePreset(preset).data(), kPresetFileSize, p);
            EXPECT_EQ(p.sunCenterX, cx);
            EXPECT_EQ(p.sunCenterY, cy);
        };
        ASSERT_EQ(host.runFilter(&ENTRYPOINT), 0);
        const std::vector<uint8_t>& out = host.image().pixels;
        ASSERT_EQ(out.size(), sky.pixels.size());
        EXPECT_NE(out, sky.pixels) << "the look leaves the picture unchanged";
        auto [it, fresh] = seen.emplace(out, f.stem().string());
        EXPECT_TRUE(fresh) << "renders exactly like " << it->second;
    }
}

}  // namespace
}  // namespace rx
