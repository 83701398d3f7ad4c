// Time of prepareSunTables at full scale with sunRadius 100 (lensLast 1001, the most asin
// calls), and at a preview scale of 4. Prints microseconds per call.
#include <ctime>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "host/types/setting_table.h"
#include "render/sun_tables.h"

namespace {

// Processor time per call (less disturbed than wall time on a busy machine).
double microsecondsPerCall(const rx::SunParameters& p, int32_t scale, rx::SunTables& tables,
                           int calls) {
    const std::clock_t start = std::clock();
    for (int i = 0; i < calls; ++i) rx::prepareSunTables(p, scale, tables);
    const std::clock_t stop = std::clock();
    return 1e6 * static_cast<double>(stop - start) / CLOCKS_PER_SEC / calls;
}

}  // namespace

int main() {
    std::unique_ptr<rx::SunParameters> params(new rx::SunParameters());
    std::unique_ptr<rx::SunTables> tables(new rx::SunTables{});
    std::memset(params.get(), 0, sizeof(rx::SunParameters));
    size_t count = 0;
    const rx::SettingInfo* table = rx::settingTable(&count);
    for (size_t i = 0; i < count; ++i) {
        const rx::SettingInfo& s = table[i];
        if (!s.hasDefault) continue;
        if (s.kind == rx::SettingKind::Colour)
            *rx::settingColour(*params, s) = s.defaultColour;
        else if (s.kind != rx::SettingKind::Vector)
            *rx::settingInt(*params, s) = s.defaultValue;
    }
    params->sunRadius = 100;
    params->spikeVector = rx::Vector3f{0.3f, -0.2f, 0};
    params->flareVector = rx::Vector3f{-0.5f, 0.1f, 0};

    std::vector<int32_t> lens(3 * 2000 + 2184);
    tables->lensTable = lens.data();
    tables->lensCapacity = static_cast<int32_t>(lens.size());

    microsecondsPerCall(*params, 1, *tables, 20);  // warm-up
    const int calls = 500;
    const double fullScale = microsecondsPerCall(*params, 1, *tables, calls);
    std::printf(
        "prepareSunTables, scale 1, sunRadius 100 (lensLast %d): %.1f us processor time per call\n",
        static_cast<int>(tables->lensLast), fullScale);
    std::printf("prepareSunTables, scale 4, sunRadius 100: %.1f us processor time per call\n",
                microsecondsPerCall(*params, 4, *tables, calls));
    return 0;
}
