// Default settings and the render tables made from them, without a host or a session: a lens
// buffer of the size the band setup gives a 1000-pixel-wide image.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/default_record.h"
#include "render/sun_tables.h"
#include "render/table_dump.h"

namespace rx::testing {

struct RenderRig {
    std::unique_ptr<SunParameters> params{new SunParameters()};
    std::unique_ptr<SunTables> tables{new SunTables{}};
    std::vector<int32_t> lens;

    explicit RenderRig(int32_t lensCapacity = 3 * 1000 + 2184) {
        MakeDefaultRecord(*params);
        lens.assign(size_t(lensCapacity), 0);
        tables->lensTable = lens.empty() ? nullptr : lens.data();
        tables->lensCapacity = lensCapacity;
    }

    SunParameters& p() { return *params; }
    SunTables& t() { return *tables; }

    std::string prepareAndDump() {
        prepareSunTables(*params, params->previewScale, *tables);
        return dumpRenderTables(*tables);
    }
};

}  // namespace rx::testing
