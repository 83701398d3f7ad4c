// The dialog's preview, zoom, sun placement, pan, mode popup, colour chooser,
// preset files, Dice, Ecce and a start from the cache, driven through the
// module file's ENTRYPOINT by the in-memory host from a second thread while the
// host's thread runs the modal dialog. After each command every control is read
// back and compared with the record. Saves screenshots (PNG) of the dialog with
// its preview and with the blend popup.
//
//   radiantix_preview_dialog_test MODULE_FILE OUTPUT_DIR [CASE]   (CASE: run
//   the cases whose name contains it)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "window_driver.h"

using namespace rx;
using namespace rx::wine_test;

namespace {

RECT windowRect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r;
}

std::vector<uint32_t> previewPixels(HWND dialog) {
    const ui::PixelRect frame = rectOf(18);
    return capture(dialog, frame.left + 2, frame.top + 2, frame.right - 2, frame.bottom - 2);
}

size_t differingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    size_t n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
    return n;
}

bool zoomButtonEnabled(HWND dialog, int id) {
    paintPending(dialog);
    return shown(dialog, id) == 1;
}

// The same picture at 16 bits a sample (0..65535, this host's range).
HostImage deepGradientImage(int32_t w, int32_t h) {
    const HostImage narrow = gradientImage(w, h);
    HostImage image = HostImage::make(w, h, 3, false, 16);
    for (size_t i = 0; i < narrow.pixels.size(); ++i) {
        const uint16_t v = uint16_t(narrow.pixels[i] * 257);
        std::memcpy(&image.pixels[i * 2], &v, 2);
    }
    return image;
}

// ---------------------------------------------------------------------------------------
// The cases

// The preview shows the sun, and a slider drag re-renders it once, at the
// release.
void previewFollowsSliders() {
    MemoryHost host(gradientImage(640, 400));
    const int16_t result = runDialog(host, [&](HWND d) {
        Sleep(300);
        CHECK_EQ(live(host).previewScale, 3);  // max(ceil(640 / 302), ceil(400 / 249))
        const std::vector<uint32_t> before = previewPixels(d);
        // The sun makes the middle of the 302 x 249 preview brighter than a corner
        // of the 214 x 134 picture.
        auto redGreen = [&](int x, int y) {
            const uint32_t v = before[size_t(y) * 302 + x];
            return int((v >> 16) & 0xFF) + int((v >> 8) & 0xFF);
        };
        if (kPixelsReadable) CHECK(redGreen(151, 124) > redGreen(51, 64) + 60);
        CHECK(screenshot(d, "preview_dialog.png"));

        const int64_t displayed = host.displayPixelsCalls();
        const ui::PixelRect radius = rectOf(37);
        press(d, radius.left + 30, radius.top + 5);
        moveTo(d, radius.left + 100, radius.top + 5);
        settle();
        CHECK_EQ(host.displayPixelsCalls(), displayed);  // nothing rendered while dragging
        CHECK_EQ(differingPixels(before, previewPixels(d)), size_t(0));
        release(d, radius.left + 100, radius.top + 5);
        Sleep(300);
        CHECK(host.displayPixelsCalls() > displayed);
        if (kPixelsReadable) CHECK(differingPixels(before, previewPixels(d)) > 100);
        pressOk(d);
    });
    CHECK_EQ(result, 0);
}

// A 16-bit image's preview shows the 8-bit image's picture: the rows reach displayPixels
// reduced to 8 bits, each channel within two steps of the 8-bit preview's.
void sixteenBitPreview() {
    std::vector<uint32_t> shown[2];
    for (int deep = 0; deep < 2; ++deep) {
        MemoryHost host(deep ? deepGradientImage(640, 400) : gradientImage(640, 400));
        const int16_t result = runDialog(host, [&](HWND d) {
            Sleep(300);
            shown[deep] = previewPixels(d);
            if (deep) CHECK(screenshot(d, "preview_dialog_16bit.png"));
            pressOk(d);
        });
        CHECK_EQ(result, 0);
    }
    CHECK_EQ(shown[0].size(), shown[1].size());
    int worst = 0;
    for (size_t i = 0; i < shown[0].size() && i < shown[1].size(); ++i)
        for (int bit : {0, 8, 16})
            worst = std::max(worst, std::abs(int((shown[0][i] >> bit) & 0xFF) -
                                             int((shown[1][i] >> bit) & 0xFF)));
    if (kPixelsReadable) CHECK(worst <= 2);
}

// "+", "-" and "%" on a 3000 x 200 image: fit scale 10; "-" starts disabled,
// "+" steps down to 1 and is then disabled.
void zoomButtons() {
    MemoryHost host(gradientImage(3000, 200));
    const int16_t result = runDialog(host, [&](HWND d) {
        Sleep(200);
        // Each click and the scale it leaves: "-" at the fit scale and "+" at 1:1 do nothing,
        // "%" goes back to 1:1.
        const struct {
            int button, scale;
        } steps[] = {{33, 10}, {32, 9}, {32, 8}, {32, 7}, {32, 6}, {32, 5}, {32, 4},
                     {32, 3},  {32, 2}, {32, 1}, {32, 1}, {33, 2}, {34, 1}};
        CHECK_EQ(live(host).previewScale, 10);
        CHECK(!zoomButtonEnabled(d, 33) && zoomButtonEnabled(d, 32));
        for (const auto& step : steps) {
            clickButton(d, step.button);
            CHECK_EQ(live(host).previewScale, step.scale);
            if (step.scale == 1) CHECK(!zoomButtonEnabled(d, 32) && zoomButtonEnabled(d, 33));
        }
        for (int i = 0; i < 9; ++i) clickButton(d, 33);
        CHECK_EQ(live(host).previewScale, 10);
        CHECK(live(host).previewOriginH == 0 && live(host).previewOriginV == 0);
        pressOk(d);
    });
    CHECK_EQ(result, 0);
}

// A click on the unzoomed preview places the centre; a drag at scale 3 pans
// instead.
void placeAndPan() {
    MemoryHost host(gradientImage(1208, 996));
    const int16_t result = runDialog(host, [&](HWND d) {
        Sleep(200);
        CHECK_EQ(live(host).previewScale, 4);
        // The 302 x 249 picture sits centred in the 306 x 253 frame: left 403,
        // top 2.
        click(d, 403 + 10, 2 + 20);
        CHECK(live(host).sunCenterX == 40 && live(host).sunCenterY == 80);

        clickButton(d, 32);
        CHECK_EQ(live(host).previewScale, 3);
        const int32_t originH = live(host).previewOriginH;
        const int32_t originV = live(host).previewOriginV;
        CHECK(originH > 3);
        press(d, 550, 120);
        moveTo(d, 551, 120);
        settle();
        release(d, 551, 120);
        CHECK_EQ(live(host).previewOriginH, originH - 3);
        CHECK_EQ(live(host).previewOriginV, originV);
        CHECK(live(host).sunCenterX == 40 && live(host).sunCenterY == 80);  // not placed by a pan
        pressOk(d);
    });
    CHECK_EQ(result, 0);
    CHECK_EQ(live(host).sunCenterX, 40);
}

// Real mouse input (routed by the window system, capture included) at a client
// point. The dialog takes it in its own time, after any render it is busy with.
void mouse(HWND w, int x, int y, DWORD buttons = 0) {
    placePointer(w, x, y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = buttons;
    if (buttons) SendInput(1, &input, sizeof input);
    settle();
}
void mouseClick(HWND w, int x, int y) {
    mouse(w, x, y, MOUSEEVENTF_LEFTDOWN);
    mouse(w, x, y, MOUSEEVENTF_LEFTUP);
}

// Waits up to ten seconds for a condition, then lets the dialog finish what it
// does.
bool waitUntil(HWND dialog, const std::function<bool()>& done) {
    bool ok = false;
    for (int i = 0; i < 500 && !(ok = done()); ++i) Sleep(20);
    SendMessageA(dialog, WM_NULL, 0, 0);
    return ok;
}
// The blend list after a click or a press (`buttons`) on the picker.
HWND openPopup(HWND dialog, DWORD buttons) {
    const ui::PixelRect picker = rectOf(73);
    if (buttons == MOUSEEVENTF_LEFTDOWN)
        mouse(dialog, picker.left + 10, picker.top + 10, buttons);
    else
        mouseClick(dialog, picker.left + 10, picker.top + 10);
    HWND popup = waitForWindow("PopupClass", "zowie", 200);
    CHECK(popup != nullptr);
    return popup;
}

// The blend mode's list: a click opens it and it stays open while the pointer
// moves; the next click chooses the entry under it, or outside the list closes
// it and goes no further (the sun stays). Press, drag and release chooses too.
void blendFromPopup() {
    MemoryHost host(gradientImage(640, 400));
    const int16_t result = runDialog(host, [&](HWND d) {
        // The rows of "add" (7) and "screen" (10).
        const int addRow = 6 * 36 + 18, screenRow = 9 * 36 + 18;
        HWND popup = openPopup(d, 0);
        if (!popup) return pressOk(d);
        CHECK_EQ(windowRect(popup).bottom - windowRect(popup).top, 11 * 36 + 8);
        mouse(popup, 40, addRow);
        Sleep(500);
        CHECK(IsWindow(popup));
        RECT area = windowRect(d), pr = windowRect(popup);
        UnionRect(&area, &area, &pr);
        CHECK(screenshotScreen(area, "preview_popup.png"));
        mouseClick(popup, 40, addRow);
        CHECK(waitUntil(d, [&] { return live(host).blendMode == 7; }));
        CHECK(!IsWindow(popup));

        const int32_t sunX = live(host).sunCenterX, sunY = live(host).sunCenterY;
        popup = openPopup(d, 0);
        mouseClick(d, 450, 40);  // on the preview, outside the list
        CHECK(waitUntil(d, [&] { return !IsWindow(popup); }));
        Sleep(300);
        CHECK(live(host).sunCenterX == sunX && live(host).sunCenterY == sunY);

        popup = openPopup(d, MOUSEEVENTF_LEFTDOWN);
        if (!popup) return pressOk(d);
        mouse(popup, 40, screenRow);
        mouse(popup, 40, screenRow, MOUSEEVENTF_LEFTUP);
        CHECK(waitUntil(d, [&] { return live(host).blendMode == 10; }));
        checkShows(d, live(host), "after the blend mode picks");
        pressOk(d);
    });
    CHECK_EQ(result, 0);
    CHECK_EQ(live(host).blendMode, 10);
}

// A record the host changed before the dialog shows in every control. A colour chosen
// through the host's colour picker: offered as its high bytes, and an unchanged answer
// keeps only those, in the record and on the swatch.
void hostColourPicker() {
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
    const int16_t result = runDialog(host, [&](HWND d) {
        checkShows(d, live(host), "on a record the host changed");
        clickButton(d, 7);
        checkShows(d, live(host), "after a colour was chosen");
        pressOk(d);
    });
    CHECK_EQ(result, 0);
    CHECK(prompt == "Choose the sun color.");
    CHECK_EQ(infoSize, int32_t(sizeof(ColorServicesInfo)));
    // The high bytes of 0x12FF, 0x3400, 0x56AB offered; the record keeps only those.
    CHECK(offered[0] == 0x12 && offered[1] == 0x34 && offered[2] == 0x56);
    const RGB16 c = live(host).sunColor;
    CHECK(c.red == 0x1200 && c.green == 0x3400 && c.blue == 0x5600);
}

// EnumChildWindows callback: stores the first visible edit control (a plain
// function, so it has the system's calling convention on x86 too).
BOOL CALLBACK findVisibleEdit(HWND child, LPARAM found) {
    char cls[16] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Edit") != 0 || !IsWindowVisible(child)) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// Types a file name into an open or save dialog and confirms it with Enter.
bool confirmFileDialog(const char* title, const std::string& name) {
    HWND box = waitForWindow("#32770", title, 200);
    CHECK(box != nullptr);
    if (!box) return false;
    Sleep(300);
    // The file name box: the dialog's one visible edit control.
    HWND edit = nullptr;
    EnumChildWindows(box, findVisibleEdit, reinterpret_cast<LPARAM>(&edit));
    CHECK(edit != nullptr);
    if (!edit) return false;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
    for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(50);
    CHECK(!IsWindow(box));
    return true;
}

// Save, Dice, Ecce, Load: Dice and Ecce change the record behind the controls and every
// control follows, the preview too; Load brings the saved settings back into every control,
// the status line names the file, and the second file dialog opens in the folder of the
// first. A cancelled Load changes nothing that is shown. The next session starts from the
// accepted settings (the cache) and shows them.
void presetsDiceEcceThenCachedStart() {
    MemoryHost host(gradientImage(640, 400));
    const std::string file = gOutputDir + "\\preview_test_preset.q4q";
    DeleteFileA(file.c_str());
    SunParameters saved{};
    char cwdBefore[MAX_PATH], cwdAfter[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwdBefore);
    const int16_t result = runDialog(host, [&](HWND d) {
        click(d, rectOf(37).left + 4 + 30, rectOf(37).top + 5);
        clickButtonLater(d, 26);
        if (!confirmFileDialog("Save a settings file", file)) return pressOk(d);
        checkShows(d, live(host), "after Save");
        saved = live(host);
        CHECK(std::strcmp(saved.presetName, "preview_test_preset.q4q") == 0);

        const std::vector<uint32_t> before = previewPixels(d);
        clickButton(d, 72);  // Dice: settings differ from the file's
        CHECK(std::strcmp(live(host).presetName, "random settings") == 0);
        CHECK(live(host).sunRadius != saved.sunRadius || live(host).spikeCount != saved.spikeCount);
        checkShows(d, live(host), "after Dice");
        checkSliderPicture(d, 37, live(host).sunRadius);
        if (kPixelsReadable) CHECK(differingPixels(before, previewPixels(d)) > 0);
        CHECK(screenshot(d, "preview_dice.png"));
        clickButton(d, 75);
        checkShows(d, live(host), "after Ecce");

        clickButtonLater(d, 35);
        if (!confirmFileDialog("Open a settings file", "preview_test_preset.q4q"))
            return pressOk(d);
        checkShows(d, live(host), "after Load");
        checkShows(d, saved, "after Load, against the saved file");
        checkSliderPicture(d, 37, saved.sunRadius);
        clickButtonLater(d, 35);
        if (HWND box = waitForWindow("#32770", "Open a settings file", 200)) {
            PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(50);
        }
        checkShows(d, saved, "after a cancelled Load");
        pressOk(d);
    });
    CHECK_EQ(result, 0);
    WIN32_FILE_ATTRIBUTE_DATA info{};
    CHECK(GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &info));
    CHECK_EQ(info.nFileSizeLow, DWORD(232));
    GetCurrentDirectoryA(MAX_PATH, cwdAfter);
    CHECK(std::strcmp(cwdBefore, cwdAfter) == 0);  // the host's current folder is kept
    CHECK_EQ(live(host).sunRadius, saved.sunRadius);

    SunParameters accepted = live(host);
    MemoryHost next(gradientImage(640, 400));
    const int16_t nextResult = runDialog(next, [&](HWND d) {
        // The cache keeps no preset name.
        std::memcpy(accepted.presetName, live(next).presetName, sizeof accepted.presetName);
        checkShows(d, accepted, "on a cached start");
        pressOk(d);
    });
    CHECK_EQ(nextResult, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if ((argc != 3 && argc != 4) || !startProgram(argc, argv, "preview_test_cache")) {
        std::fprintf(stderr,
                     "usage: radiantix_preview_dialog_test MODULE_FILE OUTPUT_DIR [CASE]\n");
        return 2;
    }
    const struct {
        const char* name;
        void (*run)();
    } cases[] = {
        {"preview follows sliders", previewFollowsSliders},
        {"16-bit preview", sixteenBitPreview},
        {"zoom buttons", zoomButtons},
        {"place and pan", placeAndPan},
        {"blend from popup", blendFromPopup},
        {"host colour picker", hostColourPicker},
        {"presets, dice, ecce, cached start", presetsDiceEcceThenCachedStart},
    };
    const char* only = argc > 3 ? argv[3] : nullptr;
    for (const auto& c : cases) {
        if (only && !std::strstr(c.name, only)) continue;
        const int before = gFailures;
        c.run();
        std::printf("%s: %s\n", c.name, gFailures == before ? "ok" : "FAILED");
    }
    FreeLibrary(gModule);
    if (gFailures) std::fprintf(stderr, "%d check(s) failed\n", gFailures);
    return gFailures ? 1 : 0;
}
