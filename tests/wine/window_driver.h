// What the Windows dialog test programs share: failure counting, the filter run on the host's
// thread while a helper thread drives its dialog with mouse messages, pictures read from the
// screen, and the read-back of what every control shows.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/memory_host.h"
#include "host/types/sun_parameters.h"
#include "ui/control_model.h"
#include "ui/shown_state_win.h"

namespace rx::wine_test {

inline int gFailures = 0;
inline std::string gOutputDir;  // the cache folders go here
inline HMODULE gModule = nullptr;
inline PluginEntryProc gEntry = nullptr;
// Window pixels of 32-bit programs read black under WoW64 Wine: checks of pixels are left out
// there, checks of state are not.
constexpr bool kPixelsReadable = sizeof(void*) == 8;

inline void fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    ++gFailures;
}
template <typename A, typename B>
void checkEqual(A a, B b, const char* what, const char* file, int line) {
    if (a == b) return;
    std::fprintf(stderr, "%s:%d: check failed: %s (%g vs %g)\n", file, line, what, double(a),
                 double(b));
    ++gFailures;
}
#define CHECK(cond) ((cond) ? void() : ::rx::wine_test::fail(__FILE__, __LINE__, #cond))
#define CHECK_EQ(a, b) ::rx::wine_test::checkEqual((a), (b), #a " == " #b, __FILE__, __LINE__)

inline HWND waitForWindow(const char* className, const char* title, int tries = 300) {
    for (int i = 0; i < tries; ++i) {
        HWND w = FindWindowA(className, title);
        if (w && IsWindowVisible(w)) return w;
        Sleep(50);
    }
    return nullptr;
}

// Mouse messages are sent, so each returns once the dialog has handled it (a release includes the
// preview render it starts). A press also posts a pointer move to the dialog itself; the pause lets
// the dialog's loop take it before the next message.
inline void settle() { Sleep(150); }

// The screen's own pointer is put where the sent message says the mouse is: a window holding the
// capture also receives moves of the real pointer, which would otherwise move a slider or a popup's
// highlight to wherever the pointer happens to rest.
inline void placePointer(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    if (SetCursorPos(p.x, p.y)) Sleep(40);  // the real move is handled before the sent one
}
inline void press(HWND w, int x, int y) {
    placePointer(w, x, y);
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    settle();
}
inline void moveTo(HWND w, int x, int y) {
    placePointer(w, x, y);
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
}
inline void release(HWND w, int x, int y) {
    placePointer(w, x, y);
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    settle();
}
inline void click(HWND w, int x, int y) {
    press(w, x, y);
    release(w, x, y);
}
// Press at (x0, y0), move through (x1, y1) to (x2, y2) and release there.
inline void drag(HWND w, int x0, int y0, int x1, int y1, int x2, int y2) {
    press(w, x0, y0);
    moveTo(w, x1, y1);
    moveTo(w, x2, y2);
    release(w, x2, y2);
}
// A button click that returns once the dialog has handled the command (render included); posted
// instead for a button that opens a modal window (a file or colour dialog).
inline void clickButton(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
inline void clickButtonLater(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    settle();
}
// OK is control 3 in this dialog (the default button), not IDOK.
inline void pressOk(HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(3, 0), 0); }

inline ui::PixelRect rectOf(int id) {
    ui::PixelRect r{};
    ui::layoutRect(id, &r);
    return r;
}

// The picture `draw` paints on a width x height canvas (black at first), as 0x00RRGGBB values row
// by row: one blit, as reading pixel by pixel is very slow under Wine.
inline std::vector<uint32_t> pixelsOf(int width, int height, const std::function<void(HDC)>& draw) {
    HDC canvas = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(canvas, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(canvas, dib);
    draw(canvas);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> pixels(p, p + size_t(width) * height);
    for (uint32_t& v : pixels) v &= 0xFFFFFF;
    SelectObject(canvas, old);
    DeleteObject(dib);
    DeleteDC(canvas);
    return pixels;
}
// What the client area of `w` shows from (left, top) to (right, bottom).
inline std::vector<uint32_t> capture(HWND w, int left, int top, int right, int bottom) {
    HDC dc = GetDC(w);
    std::vector<uint32_t> pixels = pixelsOf(right - left, bottom - top, [&](HDC canvas) {
        BitBlt(canvas, 0, 0, right - left, bottom - top, dc, left, top, SRCCOPY);
    });
    ReleaseDC(w, dc);
    return pixels;
}
// How many values of two pictures differ; pictures of different sizes differ everywhere.
template <typename T>
size_t differing(const std::vector<T>& a, const std::vector<T>& b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

// ---------------------------------------------------------------------------------------
// Runs

inline DWORD WINAPI runDriver(void* driver) {
    (*static_cast<const std::function<void()>*>(driver))();
    return 0;
}

// Runs `driver` on a helper thread while `body` runs the module on this thread.
inline void withDriver(const std::function<void()>& driver, const std::function<void()>& body) {
    HANDLE helper = CreateThread(nullptr, 0, runDriver, const_cast<std::function<void()>*>(&driver),
                                 0, nullptr);
    body();
    WaitForSingleObject(helper, INFINITE);
    CloseHandle(helper);
}

// Runs the filter with its dialog while `driver` works the dialog. The driver gets the dialog
// window (never null: a missing dialog fails).
inline int16_t runDialog(MemoryHost& host, const std::function<void(HWND)>& driver) {
    int16_t result = 0;
    withDriver(
        [&] {
            HWND d = waitForWindow("#32770", "Radiantix");
            CHECK(d != nullptr);
            if (!d) return;
            settle();
            driver(d);
        },
        [&] { result = host.runFilter(gEntry, true); });
    return result;
}
// runDialog, then OK, and the run must succeed.
inline void runDialogOk(MemoryHost& host, const std::function<void(HWND)>& driver) {
    const int16_t result = runDialog(host, [&](HWND d) {
        driver(d);
        pressOk(d);
    });
    CHECK_EQ(result, 0);
}

inline const SunParameters& live(const MemoryHost& host) {
    const void* p = host.parameters();
    if (!p) std::abort();  // no settings record: no run has made one
    return *static_cast<const SunParameters*>(p);
}

// A smooth sky-like gradient, red and blue down, green across; at 16 bits a sample (0..65535, this
// host's range) the same picture.
inline HostImage gradientImage(int32_t w, int32_t h, int32_t depth = 8) {
    HostImage image = HostImage::make(w, h, 3, false, depth);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t rgb[3] = {uint8_t(20 + (y * 90) / h), uint8_t(50 + (x * 120) / w),
                                    uint8_t(110 + (y * 100) / h)};
            const uint16_t deep[3] = {uint16_t(rgb[0] * 257), uint16_t(rgb[1] * 257),
                                      uint16_t(rgb[2] * 257)};
            std::memcpy(image.at(x, y), depth == 16 ? static_cast<const void*>(deep) : rgb,
                        depth == 16 ? sizeof deep : sizeof rgb);
        }
    return image;
}

// Points the settings cache at an empty folder `name` under gOutputDir (before the module loads:
// its runtime reads the environment then); returns the cache file's path.
inline std::string useCacheFolder(const char* name) {
    const std::string folder = gOutputDir + "/" + name,
                      file = folder + "/Radiantix cached settings 2";
    CreateDirectoryA(folder.c_str(), nullptr);
    DeleteFileA(file.c_str());
    SetEnvironmentVariableA("RADIANTIX_CACHE_DIR", folder.c_str());
    _putenv_s("RADIANTIX_CACHE_DIR", folder.c_str());
    return file;
}

// ---------------------------------------------------------------------------------------
// What the dialog shows

// Lets the dialog's thread paint what is invalid now (it adds nothing to repaint).
inline void paintPending(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    settle();
}

// What a control last painted, as the dialog notes it on the control's window.
inline intptr_t shown(HWND dialog, int id) {
    return reinterpret_cast<intptr_t>(GetPropA(GetDlgItem(dialog, id), ui::kShownProperty));
}

// Every control that shows a setting, compared with the record `p`: sliders with their value boxes,
// toggles and mode pickers (the control table's), colour swatches, direction pads and the status
// line.
inline void checkShows(HWND dialog, const SunParameters& p, const char* when) {
    paintPending(dialog);
    using S = SunParameters;
    static const std::pair<int, RGB16 S::*> colours[] = {
        {7, &S::sunColor}, {8, &S::flareColor}, {9, &S::haloColor}, {14, &S::spikeColor}};
    static const std::pair<int, Vector3f S::*> pads[] = {{112, &S::spikeVector},
                                                         {100, &S::flareVector}};
    auto expect = [&](int id, intptr_t want) {
        const intptr_t got = shown(dialog, id);
        if (got == want) return;
        std::fprintf(stderr, "%s: control %d shows %lld%s, the record holds %lld\n", when, id,
                     (long long)got, got == ui::kShownTorn ? " (pieces of two pictures)" : "",
                     (long long)want);
        ++gFailures;
    };
    // Which setting a slider, toggle or picker shows is the control table's, checked natively.
    SunParameters record = p;
    for (int id = 0; id < ui::kControls; ++id) {
        const int32_t* value = ui::controlSetting(record, id);
        if (!value || ui::controlKind(id) == ui::kindValueBox) continue;
        expect(id, *value);
        if (ui::valueBoxOf(id) != ui::kNoValueBox) expect(ui::valueBoxOf(id), *value);
    }
    for (const auto& [id, field] : colours)
        expect(id, RGB((p.*field).red >> 8, (p.*field).green >> 8, (p.*field).blue >> 8));
    for (const auto& [id, field] : pads)  // the knob's point in the pad, as it is drawn
        expect(id, ui::packedPoint(42 + int(33.0 * (p.*field).x), 41 + int(33.0 * (p.*field).y)));
    char status[256] = "";
    GetWindowTextA(GetDlgItem(dialog, 76), status, sizeof status);
    if (std::strcmp(status, p.presetName) == 0) return;
    std::fprintf(stderr, "%s: the status line shows \"%s\", the record names \"%s\"\n", when,
                 status, p.presetName);
    ++gFailures;
}

// The painted slider `id` is its track with the thumb where `value` puts it, and nothing else (no
// old thumb). Left out where window pixels cannot be read.
inline void checkSliderPicture(HWND dialog, int id, int32_t value) {
    if (!kPixelsReadable) return;
    paintPending(dialog);
    const ui::PixelRect r = rectOf(id);
    const struct {
        int picture, x, y;
    } layers[] = {{ui::describeControl(id).pictures[0], 0, 0},  // the track
                  {ui::picThumb, 1 + value * (r.width() - 15) / 100, 1}};
    const std::vector<uint32_t> want = pixelsOf(r.width(), r.height(), [&](HDC canvas) {
        HDC source = CreateCompatibleDC(canvas);
        for (const auto& layer : layers) {
            HBITMAP picture = LoadBitmapA(gModule, MAKEINTRESOURCEA(layer.picture));
            BITMAP info{};
            GetObjectA(picture, sizeof info, &info);
            HGDIOBJ old = SelectObject(source, picture);
            BitBlt(canvas, layer.x, layer.y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
            SelectObject(source, old);
            DeleteObject(picture);
        }
        DeleteDC(source);
    });
    const size_t differ = differing(capture(dialog, r.left, r.top, r.right, r.bottom), want);
    if (!differ) return;
    std::fprintf(stderr, "slider %d: %zu pixels differ from its track with the thumb at %d\n", id,
                 differ, value);
    ++gFailures;
}

}  // namespace rx::wine_test
