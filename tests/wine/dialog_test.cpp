// The settings dialog, driven through the module file's ENTRYPOINT by the
// in-memory host, with real window messages posted from a second thread while
// the host's thread runs the modal dialog. Checks the layout, the settings the
// dialog leaves in the record, Cancel's snapshot, the cache file, and saves
// screenshots (PNG) of the dialog next to the test program. The about box is
// the pspiHost test's.
//
//   radiantix_dialog_test MODULE_FILE OUTPUT_DIR
#include <windows.h>

#include <cstdio>
#include <cstring>
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
            std::fprintf(stderr, "control %d is at %ld,%ld, expected at %d,%d\n", id, r.left, r.top,
                         expect.left, expect.top);
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
        // Through a point off the slider (clamped) to where it is released.
        drag(d, size.left + 20, size.top + 5, size.left + 200, size.top + 40, 200, size.top + 5);

        // Toggles: press, leave, come back, release inside flips; released outside
        // it does not.
        const ui::PixelRect vort = rectOf(48), mono = rectOf(52);
        drag(d, vort.left + 5, vort.top + 5, vort.left + 60, vort.top + 5, vort.left + 6,
             vort.top + 6);
        drag(d, mono.left + 5, mono.top + 5, mono.left + 6, mono.top + 6, mono.left + 60,
             mono.top + 5);

        // Direction pads: the centre gives 0,0; 66 pixels right of it gives 1,0.
        const ui::PixelRect flare = rectOf(100), spike = rectOf(112);
        const int fx = flare.left + 43, fy = flare.top + 41, sx = spike.left + 43;
        drag(d, flare.left + 20, flare.top + 60, fx, fy, fx, fy);
        drag(d, sx, spike.top + 41, sx + 30, spike.top + 41, sx + 66, spike.top + 41);

        checkShows(d, live(host), "after the edits");
        CHECK(screenshot(d, "dialog_edited.png"));
        key(d, VK_RETURN);  // OK
    });
    CHECK_EQ(result, 0);
    const SunParameters& p = live(host);
    CHECK_EQ(p.sunRadius, 0);
    CHECK_EQ(p.swirlCount, 100);
    CHECK_EQ(p.swirlSize, ((200 - 4 - (rectOf(43).left + 1)) * 100) / 121);
    CHECK(p.vortices == 0 && p.monopoles == 1);
    CHECK(p.flareVector.x == 0.0f && p.flareVector.y == 0.0f);
    CHECK(p.spikeVector.x == 1.0f && p.spikeVector.y == 0.0f);
    CHECK_EQ(p.previewRendering, 0u);
    CHECK_EQ(readFile(cachePath).size(), size_t(232));  // OK wrote the cache file
}

// Whether the setting table's fields of two records are the same.
bool sameSettings(const SunParameters& a, const SunParameters& b) {
    size_t n = 0;
    const SettingInfo* table = settingTable(&n);
    for (size_t i = 0; i < n; ++i) {
        const SettingKind k = table[i].kind;
        const size_t size = k == SettingKind::Colour   ? sizeof(RGB16)
                            : k == SettingKind::Vector ? sizeof(Vector3f)
                                                       : sizeof(int32_t);
        if (std::memcmp(reinterpret_cast<const char*>(&a) + table[i].offset,
                        reinterpret_cast<const char*>(&b) + table[i].offset, size) != 0)
            return false;
    }
    return true;
}

void cancelRun(MemoryHost& host, const std::string& cachePath) {
    const SunParameters before = live(host);
    const std::vector<char> cacheBefore = readFile(cachePath);
    const int16_t result = runDialog(host, [&](HWND d) {
        for (int id : {37, 59, 48, 112}) click(d, rectOf(id).left + 8, rectOf(id).top + 8);
        // Ecce draws a new seed; the blend mode is picked from its list ("add").
        clickButtonLater(d, 75);
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
    SunParameters want = before;
    want.blendMode = 7;  // not in the snapshot: the pick survives Cancel
    CHECK(sameSettings(live(host), want));
    CHECK(readFile(cachePath) == cacheBefore);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || !startProgram(argc, argv, "dialog_test_cache")) {
        std::fprintf(stderr, "usage: radiantix_dialog_test MODULE_FILE OUTPUT_DIR\n");
        return 2;
    }
    const std::string cachePath = gOutputDir + "/dialog_test_cache/Radiantix cached settings 2";
    MemoryHost host(gradientImage(640, 400));
    okRun(host, cachePath);
    cancelRun(host, cachePath);

    FreeLibrary(gModule);
    std::printf("dialog checks: %d failed\n", gFailures);
    return gFailures ? 1 : 0;
}
