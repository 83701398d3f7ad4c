// Time of one preview render as the dialog does it: the in-memory host serves a 1208 x 996
// image at scale 4 (a 302 x 249 preview, the largest the dialog shows), and the render
// loop prepares the tables and composites every row. Defaults, then the heaviest core
// (sunRadius 100, swirlCount 30, vortices and monopoles on, sunSmear 30). Prints
// milliseconds per render.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/memory_host.h"
#include "host/band_loop.h"
#include "host/session.h"
#include "ui/preview_core.h"

namespace {

double millisecondsPerRender(bool heavy, int renders, int32_t* w, int32_t* h) {
    rx::HostImage image = rx::HostImage::make(1208, 996, 3);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) {
            uint8_t* px = image.at(x, y);
            px[0] = uint8_t(40 + y / 8);
            px[1] = uint8_t(60 + x / 10);
            px[2] = uint8_t(120 + (x + y) / 40);
        }
    rx::MemoryHost host(std::move(image));
    rx::MemoryHost::ActiveScope active(host);
    std::unique_ptr<rx::SunParameters> params(new rx::SunParameters());
    std::unique_ptr<rx::WorkBuffer> work(new rx::WorkBuffer());
    std::memset(params.get(), 0, sizeof(rx::SunParameters));
    std::memset(work.get(), 0, sizeof(rx::WorkBuffer));
    rx::ApplyDefaults(*params);
    char* paramsPointer = reinterpret_cast<char*>(params.get());
    host.record().parameters = &paramsPointer;
    int16_t result = 0;
    rx::FilterSession session{};
    session.result = &result;
    session.filterRecord = &host.record();
    session.workBuffer = work.get();
    rx::PrepareBands(session);
    std::vector<int32_t> lens(size_t(session.lensCapacity));
    session.lensTable = lens.data();
    params->sunCenterX = 604;
    params->sunCenterY = 498;
    params->previewRendering = 1;
    if (heavy) {
        params->sunRadius = 100;
        params->swirlCount = 30;
        params->vortices = 1;
        params->monopoles = 1;
        params->sunSmear = 30;
    }
    rx::startPreview(session, rx::Rect{0, 401, 253, 707});
    *w = session.renderWidth;
    *h = session.renderHeight;
    rx::renderPreviewRows(session);  // warm-up
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < renders; ++i) rx::renderPreviewRows(session);
    const auto stop = std::chrono::steady_clock::now();
    if (result != 0) std::printf("render failed: result %d\n", result);
    return std::chrono::duration<double, std::milli>(stop - start).count() / renders;
}

}  // namespace

int main() {
    int32_t w = 0, h = 0;
    const double plain = millisecondsPerRender(false, 20, &w, &h);
    std::printf("preview render %dx%d, defaults:        %8.2f ms\n", w, h, plain);
    const double heavy = millisecondsPerRender(true, 5, &w, &h);
    std::printf("preview render %dx%d, heaviest core:   %8.2f ms\n", w, h, heavy);
    return 0;
}
