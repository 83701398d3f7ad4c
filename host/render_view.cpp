#include "host/render_view.h"

namespace rx {

bool prepareSessionTables(const FilterSession& session, SunTables& tables, CompositeTables& t) {
    const SunParameters* p = sunParameters(session);
    if (!p || !session.lensTable) return false;
    tables.lensTable = session.lensTable;
    tables.lensCapacity = session.lensCapacity;
    prepareSunTables(*p, p->previewScale, tables);
    return buildCompositeTables(*p, tables, t);
}

RowRequest rowRequestOf(const FilterSession& session, int32_t y) {
    const FilterRecord& rec = *session.filterRecord;
    RowRequest r;
    r.y = y;
    r.width = rec.outRect.right - rec.outRect.left;
    r.srcStride = rec.inHiPlane - rec.inLoPlane + 1;
    r.planes = rec.planes;
    r.rowSelected = y >= session.firstRow && y <= session.lastRow;
    r.haveMask = rec.haveMask != 0;
    r.lastColumn = session.lastColumn;
    return r;
}

}  // namespace rx
