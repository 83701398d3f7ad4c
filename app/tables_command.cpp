// `radiantix tables`: the render tables that the module's render set-up builds for given
// settings and preview scale, as JSON. Runs the portable render set-up in process on a
// session laid out as the band loop lays it out for the built-in picture's size.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "app/commands.h"
#include "app/image_io.h"
#include "host/types/filter_session.h"
#include "host/setting_table.h"
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
    std::unique_ptr<WorkBuffer> work(new WorkBuffer);
    std::memset(work.get(), 0, sizeof(WorkBuffer));
    int32_t capacity = std::max(std::max(width, height) + 4, 3 * width + 2184);
    std::vector<int32_t> lens(size_t(capacity), 0);

    char* master = reinterpret_cast<char*>(p.get());
    FilterRecord record;
    std::memset(&record, 0, sizeof record);
    record.parameters = &master;
    record.filterRect = Rect{0, 0, int16_t(height), int16_t(width)};
    record.imageSize = Point{int16_t(height), int16_t(width)};
    record.planes = 3;
    int16_t result = 0;
    FilterSession session;
    std::memset(&session, 0, sizeof session);
    session.result = &result;
    session.filterRecord = &record;
    session.workBuffer = work.get();
    session.lensTable = lens.data();
    session.lensCapacity = capacity;
    p->sunCenterX = width / 2;
    p->sunCenterY = height / 2;
    Rect area{0, 0, int16_t(height / scale), int16_t(width / scale)};
    p->previewScale = scale;
    session.renderWidth = area.right;
    session.renderHeight = area.bottom;
    session.lastColumn = session.renderWidth - 1;
    session.lastRow = session.renderHeight - 1;

    prepareSunTables(session);
    std::string json = dumpRenderTables(session);
    if (json.empty() || json.back() != '\n') json += '\n';
    return printOut(json);
}

}  // namespace rx::cli
