#include "app/render_job.h"

#include <cstring>
#include <utility>

#include "app/memory_host.h"
#include "host/types/setting_table.h"

namespace rx::cli {

void copyTableSettings(const SunParameters& from, SunParameters& to) {
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    for (size_t i = 0; i < count; ++i) {
        const SettingInfo& s = table[i];
        size_t size = s.kind == SettingKind::Colour   ? sizeof(RGB16)
                      : s.kind == SettingKind::Vector ? sizeof(Vector3f)
                                                      : sizeof(int32_t);
        std::memcpy(reinterpret_cast<char*>(&to) + s.offset,
                    reinterpret_cast<const char*>(&from) + s.offset, size);
    }
}

int16_t runRenderJob(PluginEntryProc entry, RenderJob& job) {
    Image& img = job.image;
    HostImage hostImage;
    hostImage.width = img.width;
    hostImage.height = img.height;
    hostImage.colourPlanes = img.isGrey() ? 1 : 3;
    hostImage.hasAlpha = img.hasAlpha();
    hostImage.depth = img.depth;
    hostImage.pixels = std::move(img.pixels);
    if (job.mask) hostImage.mask = job.mask->pixels;

    // Our module composites each band in place, so the frame is rendered where it lies.
    MemoryHostOptions options;
    options.inputInPlace = true;
    MemoryHost host(std::move(hostImage), options);
    host.onProgress = job.onProgress;
    host.onAbort = job.onAbort;
    host.afterPrepare = [&job](MemoryHost& h) {
        auto* record = static_cast<SunParameters*>(h.parameters());
        if (!record) return;
        if (job.settings) copyTableSettings(*job.settings, *record);
        if (job.hasCenter) {
            record->sunCenterX = job.centerX;
            record->sunCenterY = job.centerY;
        }
    };
    int16_t result = host.runFilter(entry, job.showDialog);
    img.pixels = std::move(host.image().pixels);
    return result;
}

}  // namespace rx::cli
