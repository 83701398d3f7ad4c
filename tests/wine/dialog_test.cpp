// The settings dialog, driven through the module file's ENTRYPOINT by the in-memory host with
// window messages and mouse input from a second thread while the host's thread runs the modal
// dialog (the cases are listed in main). After each command every control is read back and compared
// with the record. The about box is the pspiHost test's.
//
//   radiantix_dialog_test MODULE_FILE OUTPUT_DIR [CASE]   (CASE: run the cases whose name
//   contains it)
#include <windows.h>
// after windows.h
#include <dlgs.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "window_driver.h"

using namespace rx;
using namespace rx::wine_test;

namespace {

// A key as the keyboard delivers it: to the window with the focus in the dialog's thread.
void key(HWND dialog, WPARAM vk) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target =
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus
            ? info.hwndFocus
            : dialog;
    PostMessageA(target, WM_KEYDOWN, vk, 1);
    PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
    settle();
}

std::vector<char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

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
        RECT r{}, want{expect.left, expect.top, expect.right, expect.bottom};
        GetWindowRect(GetDlgItem(dialog, id), &r);  // stays empty where the control is missing
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (!EqualRect(&r, &want)) {
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

// Sliders, toggles and pads edited and accepted with Enter; then edits, Ecce and a blend pick
// dropped with Escape.
void editsOkThenCancel() {
    const std::string cachePath = useCacheFolder("dialog_test_cache");
    MemoryHost host(gradientImage(640, 400));
    int16_t result = runDialog(host, [&](HWND d) {
        checkLayout(d);

        // Sliders: 4 pixels in from the left gives 0, left + 126 gives 100, a drag ends where the
        // pointer is released.
        const ui::PixelRect radius = rectOf(37), count = rectOf(45), size = rectOf(43);
        click(d, radius.left + 4, radius.top + 5);
        click(d, count.left + 126, count.top + 5);
        // Through a point off the slider (clamped) to where it is released.
        drag(d, size.left + 20, size.top + 5, size.left + 200, size.top + 40, 200, size.top + 5);

        // Toggles: press, leave, come back, release inside flips; released outside it does not.
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

    SunParameters want = p;  // what Cancel keeps: the blend pick (7, "add") is in no snapshot
    want.blendMode = 7;
    const std::vector<char> cacheBefore = readFile(cachePath);
    result = runDialog(host, [&](HWND d) {
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
    CHECK(sameSettings(live(host), want));
    CHECK(readFile(cachePath) == cacheBefore);
}

std::vector<uint32_t> previewPixels(HWND dialog) {
    const ui::PixelRect frame = rectOf(18);
    return capture(dialog, frame.left + 2, frame.top + 2, frame.right - 2, frame.bottom - 2);
}

bool zoomButtonEnabled(HWND dialog, int id) {
    paintPending(dialog);
    return shown(dialog, id) == 1;
}

// ---------------------------------------------------------------------------------------
// The cases

// The preview shows the sun, and a slider drag re-renders it once, at the release. A 16-bit image's
// preview shows the 8-bit image's picture: the rows reach displayPixels reduced to 8 bits, each
// channel within two steps of the 8-bit preview's.
void previewFollowsSliders() {
    std::vector<uint32_t> first[2];  // the first preview of the 8-bit and the 16-bit image
    MemoryHost host(gradientImage(640, 400));
    runDialogOk(host, [&](HWND d) {
        Sleep(300);
        CHECK_EQ(live(host).previewScale, 3);  // max(ceil(640 / 302), ceil(400 / 249))
        const std::vector<uint32_t> before = first[0] = previewPixels(d);
        // The sun makes the middle of the 302 x 249 preview brighter than a corner of the 214 x 134
        // picture.
        auto redGreen = [&](int x, int y) {
            const uint32_t v = before[size_t(y) * 302 + x];
            return int((v >> 16) & 0xFF) + int((v >> 8) & 0xFF);
        };
        if (kPixelsReadable) CHECK(redGreen(151, 124) > redGreen(51, 64) + 60);

        const int64_t displayed = host.displayPixelsCalls();
        const ui::PixelRect radius = rectOf(37);
        press(d, radius.left + 30, radius.top + 5);
        moveTo(d, radius.left + 100, radius.top + 5);
        settle();
        CHECK_EQ(host.displayPixelsCalls(), displayed);  // nothing rendered while dragging
        CHECK_EQ(differing(before, previewPixels(d)), size_t(0));
        release(d, radius.left + 100, radius.top + 5);
        Sleep(300);
        CHECK(host.displayPixelsCalls() > displayed);
        if (kPixelsReadable) CHECK(differing(before, previewPixels(d)) > 100);
    });
    useCacheFolder("dialog_test_cache");  // the 16-bit run starts from the same settings
    MemoryHost deep(gradientImage(640, 400, 16));
    runDialogOk(deep, [&](HWND d) {
        Sleep(300);
        first[1] = previewPixels(d);
    });
    CHECK_EQ(first[0].size(), first[1].size());
    int worst = 0;
    for (size_t i = 0; i < first[0].size() && i < first[1].size(); ++i)
        for (int bit : {0, 8, 16})
            worst = std::max(worst, std::abs(int((first[0][i] >> bit) & 0xFF) -
                                             int((first[1][i] >> bit) & 0xFF)));
    if (kPixelsReadable) CHECK(worst <= 2);
}

// "+", "-" and "%" on a 3000 x 200 image: the fit scale 10 with "-" disabled and doing nothing; "+"
// steps down to 1:1, where it is disabled and does nothing; "%" goes back to 1:1.
void zoomButtons() {
    MemoryHost host(gradientImage(3000, 200));
    runDialogOk(host, [&](HWND d) {
        Sleep(200);
        CHECK(!zoomButtonEnabled(d, 33) && zoomButtonEnabled(d, 32));
        clickButton(d, 33);
        for (int scale = 10; scale >= 1; --scale, clickButton(d, 32))
            CHECK_EQ(live(host).previewScale, scale);
        CHECK_EQ(live(host).previewScale, 1);
        CHECK(!zoomButtonEnabled(d, 32) && zoomButtonEnabled(d, 33));
        clickButton(d, 33);
        CHECK_EQ(live(host).previewScale, 2);
        clickButton(d, 34);
        CHECK_EQ(live(host).previewScale, 1);
        for (int i = 0; i < 9; ++i) clickButton(d, 33);
        CHECK_EQ(live(host).previewScale, 10);
        CHECK(live(host).previewOriginH == 0 && live(host).previewOriginV == 0);
    });
}

// A click on the unzoomed preview places the centre; a drag at scale 3 pans instead.
void placeAndPan() {
    MemoryHost host(gradientImage(1208, 996));
    runDialogOk(host, [&](HWND d) {
        Sleep(200);
        CHECK_EQ(live(host).previewScale, 4);
        // The 302 x 249 picture sits centred in the 306 x 253 frame: left 403, top 2.
        click(d, 403 + 10, 2 + 20);
        CHECK(live(host).sunCenterX == 40 && live(host).sunCenterY == 80);

        clickButton(d, 32);
        CHECK_EQ(live(host).previewScale, 3);
        const int32_t originH = live(host).previewOriginH, originV = live(host).previewOriginV;
        CHECK(originH > 3);
        drag(d, 550, 120, 551, 120, 551, 120);
        CHECK_EQ(live(host).previewOriginH, originH - 3);
        CHECK_EQ(live(host).previewOriginV, originV);
        CHECK(live(host).sunCenterX == 40 && live(host).sunCenterY == 80);  // not placed by a pan
    });
    CHECK_EQ(live(host).sunCenterX, 40);
}

// Real mouse input (routed by the window system, capture included) at a client point. The dialog
// takes it in its own time, after any render it is busy with.
void mouse(HWND w, int x, int y, DWORD buttons = 0) {
    placePointer(w, x, y);
    INPUT input{INPUT_MOUSE, {{0, 0, 0, buttons, 0, 0}}};
    if (buttons) SendInput(1, &input, sizeof input);
    settle();
}
void mouseClick(HWND w, int x, int y) {
    mouse(w, x, y, MOUSEEVENTF_LEFTDOWN);
    mouse(w, x, y, MOUSEEVENTF_LEFTUP);
}

// Waits up to ten seconds for a condition, then lets the dialog finish what it does.
bool waitUntil(HWND dialog, const std::function<bool()>& done) {
    bool ok = false;
    for (int i = 0; i < 500 && !(ok = done()); ++i) Sleep(20);
    SendMessageA(dialog, WM_NULL, 0, 0);
    return ok;
}
// The blend list after a click on the picker, or a press that is kept.
HWND openPopup(HWND dialog, bool keepPressed = false) {
    const ui::PixelRect picker = rectOf(73);
    mouse(dialog, picker.left + 10, picker.top + 10, MOUSEEVENTF_LEFTDOWN);
    if (!keepPressed) mouse(dialog, picker.left + 10, picker.top + 10, MOUSEEVENTF_LEFTUP);
    HWND popup = waitForWindow("PopupClass", "zowie", 200);
    CHECK(popup != nullptr);
    return popup;
}

// The pickers. A record the host changed before the dialog shows in every control. A colour chosen
// through the host's colour picker: offered as its high bytes, and an unchanged answer keeps only
// those, in the record and on the swatch. The blend mode's list: a click opens it and it stays open
// while the pointer moves; the next click chooses the entry under it, or outside the list closes it
// and goes no further (the sun stays). Press, drag and release chooses too.
void pickers() {
    MemoryHostOptions options;
    options.colorServices = true;
    MemoryHost host(gradientImage(640, 400), options);
    std::string prompt;
    int32_t infoSize = 0;
    int16_t offered[3] = {};
    host.onColorServices = [&](ColorServicesInfo* info) -> OSErr {
        infoSize = info->infoSize;
        const unsigned char* text = info->selectorParameter.pickerPrompt;
        if (text) prompt.assign(reinterpret_cast<const char*>(text + 1), text[0]);
        for (int i = 0; i < 3; ++i) offered[i] = info->colorComponents[i];
        return 0;  // the user accepts the colour unchanged
    };
    host.afterPrepare = [](MemoryHost& h) {
        static_cast<SunParameters*>(h.parameters())->sunColor = RGB16{0x12FF, 0x3400, 0x56AB};
    };
    runDialogOk(host, [&](HWND d) {
        checkShows(d, live(host), "on a record the host changed");
        clickButton(d, 7);
        checkShows(d, live(host), "after a colour was chosen");

        // The rows of "add" (7) and "screen" (10).
        const int addRow = 6 * 36 + 18, screenRow = 9 * 36 + 18;
        HWND popup = openPopup(d);
        if (!popup) return;
        RECT list;
        GetWindowRect(popup, &list);
        CHECK_EQ(list.bottom - list.top, 11 * 36 + 8);
        mouse(popup, 40, addRow);
        Sleep(500);
        CHECK(IsWindow(popup));
        mouseClick(popup, 40, addRow);
        CHECK(waitUntil(d, [&] { return live(host).blendMode == 7; }));
        CHECK(!IsWindow(popup));

        const int32_t sunX = live(host).sunCenterX, sunY = live(host).sunCenterY;
        popup = openPopup(d);
        mouseClick(d, 450, 40);  // on the preview, outside the list
        CHECK(waitUntil(d, [&] { return !IsWindow(popup); }));
        Sleep(300);
        CHECK(live(host).sunCenterX == sunX && live(host).sunCenterY == sunY);

        popup = openPopup(d, true);
        if (!popup) return;
        mouse(popup, 40, screenRow);
        mouse(popup, 40, screenRow, MOUSEEVENTF_LEFTUP);
        CHECK(waitUntil(d, [&] { return live(host).blendMode == 10; }));
        checkShows(d, live(host), "after the blend mode picks");
    });
    CHECK_EQ(live(host).blendMode, 10);
    CHECK(prompt == "Choose the sun color.");
    CHECK_EQ(infoSize, int32_t(sizeof(ColorServicesInfo)));
    // The high bytes of 0x12FF, 0x3400, 0x56AB offered; the record keeps only those.
    CHECK(offered[0] == 0x12 && offered[1] == 0x34 && offered[2] == 0x56);
    const RGB16 c = live(host).sunColor;
    CHECK(c.red == 0x1200 && c.green == 0x3400 && c.blue == 0x5600);
}

// Clicks `button`, then answers the open or save dialog `title` it opens as a user would: types
// `name` into its file name box and confirms it, or cancels it where `name` is null. False when no
// such dialog came.
bool answerFileDialog(HWND dialog, int button, const char* title, const char* name) {
    clickButtonLater(dialog, button);
    HWND box = waitForWindow("#32770", title, 200);
    CHECK(box != nullptr);
    if (!box) return false;
    Sleep(300);
    if (name) CHECK(SetDlgItemTextA(box, cmb13, name));  // the file name box
    PostMessageA(box, WM_COMMAND, name ? IDOK : IDCANCEL, 0);
    for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(50);
    CHECK(!IsWindow(box));
    return true;
}

// Save, Dice, Ecce, Load: Dice and Ecce change the record behind the controls and every control
// follows, the preview too; Load brings the saved settings back into every control, the status line
// names the file, and the second file dialog opens in the folder of the first. A cancelled Load
// changes nothing that is shown. The next session starts from the accepted settings (the cache) and
// shows them.
void presetsDiceEcceThenCachedStart() {
    MemoryHost host(gradientImage(640, 400));
    const std::string file = gOutputDir + "\\preview_test_preset.q4q";
    DeleteFileA(file.c_str());
    SunParameters saved{};
    char cwdBefore[MAX_PATH], cwdAfter[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwdBefore);
    runDialogOk(host, [&](HWND d) {
        click(d, rectOf(37).left + 4 + 30, rectOf(37).top + 5);
        if (!answerFileDialog(d, 26, "Save a settings file", file.c_str())) return;
        checkShows(d, live(host), "after Save");
        saved = live(host);
        CHECK(std::strcmp(saved.presetName, "preview_test_preset.q4q") == 0);

        const std::vector<uint32_t> before = previewPixels(d);
        clickButton(d, 72);  // Dice: settings differ from the file's
        CHECK(std::strcmp(live(host).presetName, "random settings") == 0);
        CHECK(live(host).sunRadius != saved.sunRadius || live(host).spikeCount != saved.spikeCount);
        checkShows(d, live(host), "after Dice");
        checkSliderPicture(d, 37, live(host).sunRadius);
        if (kPixelsReadable) CHECK(differing(before, previewPixels(d)) > 0);
        clickButton(d, 75);
        checkShows(d, live(host), "after Ecce");

        if (!answerFileDialog(d, 35, "Open a settings file", "preview_test_preset.q4q")) return;
        checkShows(d, live(host), "after Load");
        checkShows(d, saved, "after Load, against the saved file");
        checkSliderPicture(d, 37, saved.sunRadius);
        answerFileDialog(d, 35, "Open a settings file", nullptr);
        checkShows(d, saved, "after a cancelled Load");
    });
    GetCurrentDirectoryA(MAX_PATH, cwdAfter);
    CHECK(std::strcmp(cwdBefore, cwdAfter) == 0);  // the host's current folder is kept
    CHECK_EQ(live(host).sunRadius, saved.sunRadius);

    SunParameters accepted = live(host);
    MemoryHost next(gradientImage(640, 400));
    runDialogOk(next, [&](HWND d) {
        // The cache keeps no preset name.
        std::memcpy(accepted.presetName, live(next).presetName, sizeof accepted.presetName);
        checkShows(d, accepted, "on a cached start");
    });
}

}  // namespace

// Threads of this process.
DWORD threadCount() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

// A final render on three threads in bands of ten rows, dropped after its first band: no
// more continue and no finish, as a host that fails mid-run may do.
void runDroppedAfterFirstBand(MemoryHost& host) {
    for (const char* setting : {"RADIANTIX_THREADS=3", "RADIANTIX_BAND_ROWS=10"}) {
        _putenv(setting);
        const std::string s(setting);
        SetEnvironmentVariableA(s.substr(0, s.find('=')).c_str(), s.c_str() + s.find('=') + 1);
    }
    CHECK_EQ(host.call(gEntry, filterSelectorPrepare), 0);
    CHECK_EQ(host.call(gEntry, filterSelectorStart), 0);
    CHECK_EQ(host.call(gEntry, filterSelectorContinue), 0);
}

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: radiantix_dialog_test MODULE_FILE OUTPUT_DIR [CASE]\n");
        return 2;
    }
    char outputDir[MAX_PATH];
    GetFullPathNameA(argv[2], MAX_PATH, outputDir, nullptr);
    gOutputDir = outputDir;
    useCacheFolder("dialog_test_cache");  // before the module loads: it reads the folder then
    SetCursorPos(0, 0);                   // keep the real pointer away from the dialog
    gModule = LoadLibraryA(argv[1]);
    if (gModule)
        gEntry = reinterpret_cast<PluginEntryProc>(
            reinterpret_cast<void*>(GetProcAddress(gModule, "ENTRYPOINT")));
    if (!gEntry || !GetProcAddress(gModule, "DissolveProc")) {
        std::fprintf(stderr, "%s does not load with ENTRYPOINT and DissolveProc\n", argv[1]);
        return 1;
    }
    const struct {
        const char* name;
        void (*run)();
    } cases[] = {
        {"edits, OK, Cancel", editsOkThenCancel},
        {"preview follows sliders, 16-bit preview", previewFollowsSliders},
        {"zoom buttons", zoomButtons},
        {"place and pan", placeAndPan},
        {"host colour picker, blend popup", pickers},
        {"presets, dice, ecce, cached start", presetsDiceEcceThenCachedStart},
    };
    const char* only = argc > 3 ? argv[3] : nullptr;
    for (const auto& c : cases) {
        if (only && !std::strstr(c.name, only)) continue;
        useCacheFolder("dialog_test_cache");  // each case starts with no cached settings
        const int before = gFailures;
        c.run();
        std::printf("%s: %s\n", c.name, gFailures == before ? "ok" : "FAILED");
    }
    // Last, as it unloads the module: a run the host drops after its first band ends its
    // worker threads when the module is unloaded, and the host lives on.
    if (!only || std::strstr("dropped run, unload", only)) {
        MemoryHost host(HostImage::make(300, 200, 3));  // it outlives the module, as hosts do
        const DWORD before = threadCount();
        runDroppedAfterFirstBand(host);
        CHECK_EQ(threadCount(), before + 2);
        FreeLibrary(gModule);
        for (int i = 0; i < 100 && threadCount() != before; ++i) Sleep(20);
        CHECK_EQ(threadCount(), before);
        std::printf("dropped run, unload: %s\n", gFailures ? "FAILED" : "ok");
    } else {
        FreeLibrary(gModule);
    }
    if (gFailures) std::fprintf(stderr, "%d check(s) failed\n", gFailures);
    return gFailures ? 1 : 0;
}
