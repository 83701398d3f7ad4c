// A session with default settings for exercising the render set-up without a host: a
// FilterRecord whose parameters handle holds a SunParameters, a work buffer and a lens
// table of the size the band setup gives a 1000-pixel-wide image.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/types/filter_session.h"
#include "host/setting_table.h"
#include "render/sun_tables.h"
#include "render/table_dump.h"

namespace rx::testing {

struct RenderRig {
    std::unique_ptr<SunParameters> params{new SunParameters()};
    char* paramsPointer = nullptr;
    std::unique_ptr<WorkBuffer> work{new WorkBuffer()};
    std::vector<int32_t> lens;
    FilterRecord rec{};
    FilterSession session{};
    int16_t result = 0;

    explicit RenderRig(int32_t lensCapacity = 3 * 1000 + 2184) {
        std::memset(params.get(), 0, sizeof(SunParameters));
        std::memset(work.get(), 0, sizeof(WorkBuffer));
        paramsPointer = reinterpret_cast<char*>(params.get());
        rec.parameters = &paramsPointer;
        lens.assign(size_t(lensCapacity), 0);
        session.result = &result;
        session.filterRecord = &rec;
        session.workBuffer = work.get();
        session.lensTable = lens.empty() ? nullptr : lens.data();
        session.lensCapacity = lensCapacity;
        session.renderHeight = 100;
        applyTableDefaults(*params);
        params->previewScale = 1;
    }

    static void applyTableDefaults(SunParameters& p) {
        size_t count = 0;
        const SettingInfo* table = settingTable(&count);
        for (size_t i = 0; i < count; ++i) {
            const SettingInfo& s = table[i];
            if (!s.hasDefault) continue;
            if (s.kind == SettingKind::Colour)
                *settingColour(p, s) = s.defaultColour;
            else if (s.kind == SettingKind::Vector)
                *settingVector(p, s) = Vector3f{0, 0, 0};
            else
                *settingInt(p, s) = s.defaultValue;
        }
    }

    SunParameters& p() { return *params; }
    WorkBuffer& w() { return *work; }

    std::string prepareAndDump() {
        prepareSunTables(session);
        return dumpRenderTables(session);
    }
};

}  // namespace rx::testing
