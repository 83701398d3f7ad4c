// The entry point's session handling and the settings record's creation.
#pragma once

#include <cstdint>

#include "host/types/filter_session.h"

namespace rx {

// Locks the session block kept in *data, creating it when *data is 0. Stores `result`
// and `record` in it and sets the result code to 0. Null on failure (*data unchanged
// when it was 0).
FilterSession* LockSession(FilterRecord* record, intptr_t* data, int16_t* result);
void UnlockSession(FilterRecord* record, intptr_t data);

// Creates the settings record in the host's `parameters` handle when there is none, or
// when the one there is not the module's own or is reported too small (defaults, then the
// cache file), and the session's work buffer whenever the session has none. Stores memFullErr in
// the result code when either cannot be created.
void EnsureSettingsRecord(FilterSession& session);

// The selector handlers, in selector order 1..5.
void HandleParameters(FilterSession& session);
void HandlePrepare(FilterSession& session);
void HandleStart(FilterSession& session);
void HandleContinue(FilterSession& session);
void HandleFinish(FilterSession& session);

}  // namespace rx

extern "C" {
// The exported entry point. `record` is the FilterRecord, or the AboutRecord for
// selector 0.
#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
    void RX_CDECL ENTRYPOINT(int16_t selector, void* record, intptr_t* data, int16_t* result);
}
