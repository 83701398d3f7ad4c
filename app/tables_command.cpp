// `radiantix tables`: the render tables that the module's render set-up builds for given
// settings and preview scale, as JSON. Runs the portable render set-up in process with a
// lens buffer of the size the band loop gives the built-in picture.
#include <algorithm>
#include <memory>
#include <vector>

#include "app/commands.h"
#include "app/image_io.h"
#include "host/types/setting_table.h"
#include "render/sun_tables.h"
#include "render/table_dump.h"

#include <cstdio>

namespace rx::cli {

int tablesCommand(const SettingsOptions& settings, int32_t scale) {
    std::unique_ptr<SunParameters> p(new SunParameters);
    int status = kExitOk;
    if (!buildSettings(settings, *p, status)) return status;
    clampSettings(*p);

    const int32_t width = kBuiltInWidth, height = kBuiltInHeight;
    std::unique_ptr<SunTables> tables(new SunTables{});
    const int32_t capacity = std::max(std::max(width, height) + 4, 3 * width + 2184);
    std::vector<int32_t> lens(size_t(capacity), 0);
    tables->lensTable = lens.data();
    tables->lensCapacity = capacity;
    prepareSunTables(*p, scale, *tables);
    std::string json = dumpRenderTables(*tables);
    if (json.empty() || json.back() != '\n') json += '\n';
    return printOut(json);
}

}  // namespace rx::cli
