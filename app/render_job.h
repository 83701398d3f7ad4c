// One render through a loaded module: the image goes into the in-memory host, the host
// runs prepare, start and continue as a paint program does, and the filtered image comes
// back. The settings are written into the module's settings record between prepare and
// start, the point where a host that repeats a filter hands its record back.
#pragma once

#include <cstdint>
#include <functional>

#include "app/image_io.h"
#include "host/types/plugin_api.h"
#include "host/types/sun_parameters.h"

namespace rx::cli {

struct RenderJob {
    Image image;                  // rendered in place
    const Image* mask = nullptr;  // one channel, same size; null for no selection
    // The table's settings are taken from here; null leaves the module's own record (its
    // defaults and the cache of the last accepted settings).
    const SunParameters* settings = nullptr;
    bool showDialog = false;  // the parameters selector first, so start opens the dialog
    bool hasCenter = false;   // else the module's own centre (the middle of the image)
    int32_t centerX = 0, centerY = 0;
    std::function<void(int32_t done, int32_t total)> onProgress;
    std::function<bool()> onAbort;
};

// Runs the filter. Returns the module's result code: 0 success, 1 aborted by the user,
// other values as the module reports them.
int16_t runRenderJob(PluginEntryProc entry, RenderJob& job);

// Copies every setting of the table from `from` into `to`.
void copyTableSettings(const SunParameters& from, SunParameters& to);

}  // namespace rx::cli
