// The native module exports only ENTRYPOINT (see exports.map); everything else comes
// from the portable core.
#include "host/session.h"

#include "host/render_run.h"

// Unload: runs a host dropped without ending them still have parked threads.
__attribute__((destructor)) static void endRunsAtUnload() { rx::endAllRenderRuns(); }
