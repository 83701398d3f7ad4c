// A session with default settings for exercising the render set-up without a host: a
// FilterRecord whose parameters handle holds a SunParameters, a work buffer and a lens
// table of the size the band setup gives a 1000-pixel-wide image.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/types/filter_session.h"
#include "host/default_record.h"
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
        MakeDefaultRecord(*params);
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
    }

    SunParameters& p() { return *params; }
    WorkBuffer& w() { return *work; }

    std::string prepareAndDump() {
        prepareSunTables(session);
        return dumpRenderTables(session);
    }
};

}  // namespace rx::testing
