// The entry point: the session block kept in the host's `data`, the settings record in
// the host's `parameters` handle, and the table of selector handlers.
#include "host/session.h"

#include <cstring>

#include "host/band_loop.h"
#include "host/default_record.h"
#include "host/host_memory.h"
#include "host/types/plugin_api_layout.h"
#include "host/types/setting_table.h"
#include "host/settings_dialog.h"
#include "platform/clock.h"
#include "platform/memory.h"
#include "settings/cache_file.h"

namespace rx {

// [SECTION] Session block

namespace {

// The session block and the work buffer share one handle, so that a host that never frees
// its handles keeps no more than that one block per session: the module is never told
// when a session ends, so memory of its own would be lost with every session. The work
// buffer's address is set again on every lock, as the host may move the block while it is
// unlocked.
struct SessionBlock {
    FilterSession session;
    WorkBuffer work;
};

FilterSession* attach(SessionBlock* block, FilterRecord* record, int16_t* result) {
    FilterSession* session = &block->session;
    session->result = result;
    session->filterRecord = record;
    session->workBuffer = &block->work;
    *result = noErr;
    return session;
}

}  // namespace

FilterSession* LockSession(FilterRecord* record, intptr_t* data, int16_t* result) {
    if (*data == 0) {
        Handle h = NewHandle(record, int32_t(sizeof(SessionBlock)));
        if (!h) return nullptr;
        auto* block = reinterpret_cast<SessionBlock*>(LockHandle(record, h));
        if (!block) {
            DisposeHandle(record, h);
            return nullptr;
        }
        // Host handles need not be zero-filled; the session's pointers (lensTable) must
        // start out null for the "allocate when there is none" rules, the tables zero.
        std::memset(block, 0, sizeof(SessionBlock));
        *data = reinterpret_cast<intptr_t>(h);
        return attach(block, record, result);
    }
    auto* block =
        reinterpret_cast<SessionBlock*>(LockHandle(record, reinterpret_cast<Handle>(*data)));
    if (!block) return nullptr;
    return attach(block, record, result);
}

void UnlockSession(FilterRecord* record, intptr_t data) {
    if (data) UnlockHandle(record, reinterpret_cast<Handle>(data));
}

// [SECTION] Settings record

namespace {

// Sessions made by LockSession carry their work buffer; one made by other means (a tool
// that drives the render set-up directly) gets module memory.
bool ensureWorkBuffer(FilterSession& session) {
    if (!session.workBuffer)
        session.workBuffer =
            static_cast<WorkBuffer*>(platform::allocateLockedMemory(sizeof(WorkBuffer)));
    return session.workBuffer != nullptr;
}

// The size of a handle as the host reports it; -1 when the host cannot tell (no usable
// size procedure, or an answer of 0 for a handle that holds data).
int32_t reportedSize(const FilterRecord* record, Handle h) {
    if (!HostHandlesUsable(record)) return -1;
    int32_t size = record->handleProcs->getSizeProc(h);
    return size > 0 ? size : -1;
}

// A record is kept when it is one the module made (its signature and this build's record
// size in its first two words) and no size the host reports says it is smaller than that.
// A record the host reports as too small is replaced without being read; one whose size
// the host cannot tell is read only as far as those two words.
bool recordUsable(const FilterRecord* record, Handle h) {
    if (!*h) return false;
    int32_t size = reportedSize(record, h);
    if (size >= 0 && size < int32_t(sizeof(SunParameters))) return false;
    const auto* p = reinterpret_cast<const SunParameters*>(*h);
    return p->signature == kRecordSignature && p->recordSize == sizeof(SunParameters);
}

}  // namespace

void EnsureSettingsRecord(FilterSession& session) {
    FilterRecord* record = session.filterRecord;
    if (record->parameters && !recordUsable(record, record->parameters)) {
        DisposeHandle(record, record->parameters);
        record->parameters = nullptr;
    }
    if (record->parameters) {
        if (!ensureWorkBuffer(session)) *session.result = memFullErr;
        return;
    }

    Handle h = NewHandle(record, int32_t(sizeof(SunParameters)));
    bool haveWork = ensureWorkBuffer(session);
    if (!h || !*h || !haveWork) {
        // Leave no half-made record behind: the next call would take it for a real one.
        if (h) DisposeHandle(record, h);
        *session.result = memFullErr;
        return;
    }
    record->parameters = h;
    auto* p = reinterpret_cast<SunParameters*>(*h);
    MakeDefaultRecord(*p);
    readCacheFile(session);
}

// [SECTION] Selector handlers

void HandleParameters(FilterSession& session) {
    EnsureSettingsRecord(session);
    if (*session.result != noErr) return;
    sunParameters(session)->dialogPending = 1;
}

void HandlePrepare(FilterSession& session) {
    FilterRecord* record = session.filterRecord;
    record->bufferSpace = 0;
    EnsureSettingsRecord(session);
    if (*session.result != noErr) return;
    session.savedFilterRect = record->filterRect;
    PrepareBands(session);
    SunParameters* p = sunParameters(session);
    const Rect& r = record->filterRect;
    p->sunCenterX = (int32_t(r.right) - r.left) / 2;
    p->sunCenterY = (int32_t(r.bottom) - r.top) / 2;
    platform::seedRandomFromClock();
}

void HandleStart(FilterSession& session) { StartRun(session); }

void HandleContinue(FilterSession& session) { ContinueRun(session); }

// Nothing the host sees; a run the host dropped without ending it gives back its threads.
void HandleFinish(FilterSession& session) { EndRender(session); }

namespace {

using SelectorHandler = void (*)(FilterSession&);

constexpr SelectorHandler kHandlers[5] = {
    HandleParameters, HandlePrepare, HandleStart, HandleContinue, HandleFinish,
};

void dispatch(int16_t selector, FilterRecord* record, intptr_t* data, int16_t* result) {
    FilterSession* session = LockSession(record, data, result);
    if (!session) {
        *result = memFullErr;
        return;
    }
    try {
        EnsureSettingsRecord(*session);
        if (*result == noErr) {
            if (selector >= filterSelectorParameters && selector <= filterSelectorFinish)
                kHandlers[selector - 1](*session);
            else
                *result = filterBadParameters;
        }
    } catch (...) {
        // Nothing may unwind into the host.
        *result = memFullErr;
    }
    UnlockSession(record, *data);
}

}  // namespace

}  // namespace rx

extern "C" void RX_CDECL ENTRYPOINT(int16_t selector, void* record, intptr_t* data,
                                    int16_t* result) {
    using namespace rx;
    if (selector == filterSelectorAbout) {
        // Some hosts set the result code to a failure before the call and read anything
        // left there as one.
        try {
            ShowAboutBox(static_cast<const AboutRecord*>(record));
        } catch (...) {
            // Nothing may unwind into the host.
        }
        if (result) *result = noErr;
        return;
    }
    if (!result) return;
    if (!record || !data) {
        *result = filterBadParameters;
        return;
    }
    dispatch(selector, static_cast<FilterRecord*>(record), data, result);
}
