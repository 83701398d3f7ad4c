// Writes the render tables for a fixed matrix of settings and preview scales, one JSON
// dump per line, to the file named on the command line. The native and the Windows builds
// run it and their files must be identical byte for byte.
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "host/default_record.h"
#include "host/types/setting_table.h"
#include "render/sun_tables.h"
#include "render/table_dump.h"

namespace {

struct Case {
    const char* name;
    void (*apply)(rx::SunParameters&);
};

void setAllSliders(rx::SunParameters& p, int32_t value) {
    size_t count = 0;
    const rx::SettingInfo* table = rx::settingTable(&count);
    for (size_t i = 0; i < count; ++i)
        if (table[i].kind == rx::SettingKind::Slider) *rx::settingInt(p, table[i]) = value;
}

const Case kCases[] = {
    {"defaults", [](rx::SunParameters&) {}},
    {"radius100",
     [](rx::SunParameters& p) {
         p.sunRadius = 100;
         p.spikeVector = rx::Vector3f{0.3f, -0.2f, 0};
         p.flareVector = rx::Vector3f{-0.5f, 0.1f, 0};
     }},
    {"slidersZero", [](rx::SunParameters& p) { setAllSliders(p, 0); }},
    {"slidersFull",
     [](rx::SunParameters& p) {
         setAllSliders(p, 100);
         p.bowInvert = 1;
     }},
    {"bowSmearOne", [](rx::SunParameters& p) { p.bowSmear = 1; }},
    {"gammaAndHalo",
     [](rx::SunParameters& p) {
         p.spikeGamma = 7;
         p.haloBrightness = 13;
         p.haloColor = rx::RGB16{0xFFFF, 0xA000, 0x3000};
         p.sunColdHot = 23;
     }},
    {"randomVectors",
     [](rx::SunParameters& p) {
         p.spikeVector = rx::Vector3f{-0.7f, 0.69f, 0};
         p.flareVector = rx::Vector3f{0.13f, -0.42f, 0};
         p.sunDetail = 93;
         p.flareWidth = 77;
     }},
    {"outOfRange",
     [](rx::SunParameters& p) {
         p.spikeWidth = -5;
         p.sunRadius = 500;
         p.seed = -1;
         p.spikeVector = rx::Vector3f{std::numeric_limits<float>::quiet_NaN(), 1e30f, 0};
     }},
};

const int32_t kSeeds[] = {21, 0, 1, 1024, 2047};
const int32_t kScales[] = {1, 2, 3, 8};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_tables_dump OUTPUT\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::unique_ptr<rx::SunParameters> params(new rx::SunParameters());
    std::unique_ptr<rx::SunTables> tables(new rx::SunTables{});
    std::vector<int32_t> lens(3 * 1000 + 2184);
    tables->lensTable = lens.data();
    tables->lensCapacity = static_cast<int32_t>(lens.size());

    for (const Case& c : kCases)
        for (int32_t seed : kSeeds)
            for (int32_t scale : kScales) {
                rx::MakeDefaultRecord(*params);
                params->seed = seed;
                params->previewScale = scale;
                c.apply(*params);
                rx::prepareSunTables(*params, scale, *tables);
                const std::string dump = rx::dumpRenderTables(*tables);
                std::fprintf(out, "%s seed=%d scale=%d %s\n", c.name, static_cast<int>(seed),
                             static_cast<int>(scale), dump.c_str());
            }
    return std::fclose(out) == 0 ? 0 : 1;
}
