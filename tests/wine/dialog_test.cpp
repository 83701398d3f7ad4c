// The settings dialog and the about box, driven through the module file's
// ENTRYPOINT by the in-memory host, with real window messages posted from a
// second thread while the host's thread runs the modal dialog. Checks the
// layout, the settings the dialog leaves in the record, Cancel's snapshot, the
// cache file, and saves screenshots (PNG) of the dialog and the about box next
// to the test program.
//
//   radiantix_dialog_test MODULE_FILE OUTPUT_DIR
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "window_driver.h"

using namespace rx;
using namespace rx::wine_test;

namespace {

// A key as the keyboard delivers it: to the window with the focus in the
// dialog's thread.
void key(HWND dialog, WPARAM vk) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus)
        target = info.hwndFocus;
    PostMessageA(target, WM_KEYDOWN, vk, 1);
    PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
    settle();
}

std::vector<char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

HostImage testImage() {
    HostImage image = HostImage::make(640, 400, 3);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            uint8_t* p = image.at(x, y);
            p[0] = uint8_t(30 + y / 4);
            p[1] = uint8_t(60 + x / 8);
            p[2] = uint8_t(120 + y / 5);
        }
    return image;
}

// ---------------------------------------------------------------------------------------
// The cases

// The layout: client area, every control at its table rectangle.
void checkLayout(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    CHECK_EQ(client.right, 707);
    CHECK_EQ(client.bottom, 508);
    int checked = 0;
    for (int id = 1; id <= 115; ++id) {
        ui::PixelRect expect;
        if (!ui::layoutRect(id, &expect)) continue;
        HWND child = GetDlgItem(dialog, id);
        CHECK(child != nullptr);
        if (!child) continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (r.left != expect.left || r.top != expect.top || r.right != expect.right ||
            r.bottom != expect.bottom) {
            std::fprintf(stderr, "control %d at %ld,%ld,%ld,%ld, expected %d,%d,%d,%d\n", id,
                         r.left, r.top, r.right, r.bottom, expect.left, expect.top, expect.right,
                         expect.bottom);
            ++gFailures;
        }
        ++checked;
    }
    CHECK(checked > 90);
    // The preview's static frame and the other rectangles are never shown.
    CHECK(!IsWindowVisible(GetDlgItem(dialog, 37)));
    CHECK(IsWindowVisible(GetDlgItem(dialog, 3)));
}

void okRun(MemoryHost& host, const std::string& cachePath) {
    const int16_t result = runDialog(host, [&](HWND d) {
        checkLayout(d);
        Sleep(400);
        CHECK(screenshot(d, "dialog_start.png"));

        // Sliders: 4 pixels in from the left gives 0, left + 126 gives 100, a drag
        // ends where the pointer is released.
        const ui::PixelRect radius = rectOf(37), count = rectOf(45), size = rectOf(43);
        click(d, radius.left + 4, radius.top + 5);
        click(d, count.left + 126, count.top + 5);
        press(d, size.left + 20, size.top + 5);
        moveTo(d, size.left + 200, size.top + 40);  // off the slider: clamped
        moveTo(d, 200, size.top + 5);
        release(d, 200, size.top + 5);

        // Toggles: press, leave, come back, release inside flips; released outside
        // it does not.
        const ui::PixelRect vort = rectOf(48), mono = rectOf(52);
        press(d, vort.left + 5, vort.top + 5);
        moveTo(d, vort.left + 60, vort.top + 5);
        moveTo(d, vort.left + 6, vort.top + 6);
        release(d, vort.left + 6, vort.top + 6);
        press(d, mono.left + 5, mono.top + 5);
        moveTo(d, mono.left + 60, mono.top + 5);
        release(d, mono.left + 60, mono.top + 5);

        // Direction pads: the centre gives 0,0; 66 pixels right of it gives 1,0.
        const ui::PixelRect flare = rectOf(100), spike = rectOf(112);
        press(d, flare.left + 20, flare.top + 60);
        moveTo(d, flare.left + 43, flare.top + 41);
        release(d, flare.left + 43, flare.top + 41);
        press(d, spike.left + 43, spike.top + 41);
        moveTo(d, spike.left + 43 + 66, spike.top + 41);
        release(d, spike.left + 43 + 66, spike.top + 41);

        checkShows(d, live(host), "after the edits");
        CHECK(screenshot(d, "dialog_edited.png"));
        key(d, VK_RETURN);  // OK
    });
    CHECK_EQ(result, 0);
    const SunParameters* p = &live(host);
    CHECK_EQ(p->sunRadius, 0);
    CHECK_EQ(p->swirlCount, 100);
    CHECK_EQ(p->swirlSize, ((200 - 4 - (rectOf(43).left + 1)) * 100) / 121);
    CHECK_EQ(p->vortices, 0);
    CHECK_EQ(p->monopoles, 1);
    CHECK_EQ(p->flareVector.x, 0.0f);
    CHECK_EQ(p->flareVector.y, 0.0f);
    CHECK_EQ(p->spikeVector.x, 1.0f);
    CHECK_EQ(p->spikeVector.y, 0.0f);
    CHECK_EQ(p->previewRendering, 0u);
    // OK wrote the cache file with what the user chose.
    const std::vector<char> cache = readFile(cachePath);
    CHECK_EQ(cache.size(), size_t(232));
}

void cancelRun(MemoryHost& host, const std::string& cachePath) {
    const SunParameters before = live(host);
    const std::vector<char> cacheBefore = readFile(cachePath);
    const int16_t result = runDialog(host, [&](HWND d) {
        const ui::PixelRect radius = rectOf(37), bow = rectOf(59);
        click(d, radius.left + 126, radius.top + 5);
        click(d, bow.left + 70, bow.top + 5);
        const ui::PixelRect vort = rectOf(48);
        click(d, vort.left + 5, vort.top + 5);
        const ui::PixelRect spike = rectOf(112);
        press(d, spike.left + 10, spike.top + 10);
        release(d, spike.left + 10, spike.top + 10);
        // Ecce draws a new seed; the blend mode is picked from its list ("add").
        PostMessageA(GetDlgItem(d, 75), BM_CLICK, 0, 0);
        settle();
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(2006, 0), 0);
        settle();
        checkShows(d, live(host), "after Ecce and a blend pick");
        // A command with a notification code other than 0 does nothing.
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(3, BN_DBLCLK), 0);
        settle();
        CHECK(IsWindow(d));
        key(d, VK_ESCAPE);  // Cancel
    });
    CHECK_EQ(result, int16_t(-128));
    const SunParameters* p = &live(host);
    CHECK_EQ(p->sunRadius, before.sunRadius);
    CHECK_EQ(p->bowRadius, before.bowRadius);
    CHECK_EQ(p->vortices, before.vortices);
    CHECK_EQ(p->spikeVector.x, before.spikeVector.x);
    CHECK_EQ(p->spikeVector.y, before.spikeVector.y);
    CHECK_EQ(p->seed, before.seed);
    CHECK_EQ(p->blendMode, 7);  // not in the snapshot: the pick survives Cancel
    CHECK(readFile(cachePath) == cacheBefore);
}

void aboutBox(MemoryHost& host) {
    const intptr_t dataBefore = host.sessionData();
    std::atomic<bool> sawBox{false};
    withDriver(
        [&] {
            HWND box = waitForWindow("#32770", "About");
            if (!box) return;
            sawBox = true;
            Sleep(300);
            CHECK(screenshot(box, "about_box.png"));
            key(box, VK_ESCAPE);
        },
        [&] { host.call(gEntry, filterSelectorAbout); });
    CHECK(sawBox);
    CHECK_EQ(host.sessionData(), dataBefore);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || !startProgram(argc, argv, "dialog_test_cache")) {
        std::fprintf(stderr, "usage: radiantix_dialog_test MODULE_FILE OUTPUT_DIR\n");
        return 2;
    }
    const std::string cachePath = gOutputDir + "/dialog_test_cache/Radiantix cached settings 2";
    MemoryHost host(testImage());
    aboutBox(host);  // before any session: data stays 0
    CHECK_EQ(host.sessionData(), intptr_t(0));
    okRun(host, cachePath);
    cancelRun(host, cachePath);
    aboutBox(host);  // with a session: data is not touched

    FreeLibrary(gModule);
    if (gFailures)
        std::fprintf(stderr, "%d check(s) failed\n", gFailures);
    else
        std::printf("all dialog checks passed\n");
    return gFailures ? 1 : 0;
}
