// FilterSession: the working block of one host session, kept by the host in its `data`
// value as a handle and locked on every call. WorkBuffer: the dialog's state kept beside
// the session in the same handle.
#pragma once

#include <cstdint>

#include "host/types/plugin_api.h"
#include "host/types/sun_parameters.h"

namespace rx {

constexpr int kControlCount = 150;

// The dialog's enabled flags. Zero-filled when the session is created.
struct WorkBuffer {
    int32_t controlEnabled[kControlCount];
};

class RenderRun;

struct FilterSession {
    int16_t* result;
    FilterRecord* filterRecord;
    Rect previewArea;
    WorkBuffer* workBuffer;
    int32_t firstRow, lastRow, firstColumn, lastColumn;
    int32_t progressTotal, progressDone;
    int32_t nextRow;
    int32_t maskBandTop;
    uint8_t busy;
    Rect savedFilterRect;
    int32_t fitScale;
    int32_t renderWidth, renderHeight;
    int32_t currentRow;
    int32_t bandRows;  // rows per band of the final render; 1 where the host allows no more
    int32_t lensCapacity;
    int32_t* lensTable;  // lensCapacity entries; only the low signed 16 bits of each are read
    BufferID lensTableId;

    // The render tables, the compositor's tables and the worker threads, from the first
    // render of a run (or of the dialog's preview) to the end of the run; null otherwise.
    RenderRun* renderRun;
};

// The settings record of a session: the first word of the host's `parameters` handle.
inline SunParameters* sunParameters(const FilterSession& session) {
    Handle h = session.filterRecord ? session.filterRecord->parameters : nullptr;
    return h ? reinterpret_cast<SunParameters*>(*h) : nullptr;
}

}  // namespace rx
