// The native module exports only ENTRYPOINT (see exports.map); everything else comes
// from the portable core.
#include "host/session.h"
