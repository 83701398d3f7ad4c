// What the Windows dialog test programs share: failure counting, loading the
// module, the filter run on the host's thread while a helper thread drives its
// dialog with mouse messages, and the read-back of what every control shows.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
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
// Window pixels of 32-bit programs read black under WoW64 Wine: checks of
// pixels are left out there, checks of state are not.
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

// Mouse messages are sent, so each returns once the dialog has handled it (a
// release includes the preview render it starts). A press also posts a pointer
// move to the dialog itself; the pause lets the dialog's loop take it before
// the next message.
inline void settle() { Sleep(150); }

// The screen's own pointer is put where the sent message says the mouse is: a
// window holding the capture also receives moves of the real pointer, which
// would otherwise move a slider or a popup's highlight to wherever the pointer
// happens to rest.
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
// A button click that returns once the dialog has handled the command (render
// included); posted instead for a button that opens a modal window (a file or
// colour dialog).
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

// A width x height area at (x, y) of a device context, as 0x00RRGGBB values row
// by row (one blit: reading pixel by pixel is very slow under Wine).
inline std::vector<uint32_t> capture(HDC source, int x, int y, int width, int height) {
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> pixels(p, p + size_t(width) * height);
    for (uint32_t& v : pixels) v &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    return pixels;
}
inline std::vector<uint32_t> capture(HWND w, int left, int top, int right, int bottom) {
    HDC dc = GetDC(w);
    std::vector<uint32_t> pixels = capture(dc, left, top, right - left, bottom - top);
    ReleaseDC(w, dc);
    return pixels;
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

// Runs the filter with its dialog while `driver` works the dialog. The driver
// gets the dialog window (never null: a missing dialog fails).
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

inline const SunParameters& live(const MemoryHost& host) {
    const void* p = host.parameters();
    if (!p) std::abort();  // no settings record: no run has made one
    return *static_cast<const SunParameters*>(p);
}

// A smooth sky-like gradient, red and blue down, green across.
inline HostImage gradientImage(int32_t w, int32_t h) {
    HostImage image = HostImage::make(w, h, 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = image.at(x, y);
            p[0] = uint8_t(20 + (y * 90) / h);
            p[1] = uint8_t(50 + (x * 120) / w);
            p[2] = uint8_t(110 + (y * 100) / h);
        }
    return image;
}

// Points the settings cache at an empty folder `name` under gOutputDir (before the module
// loads: its runtime reads the environment then); returns the cache file's path.
inline std::string useCacheFolder(const char* name) {
    const std::string folder = gOutputDir + "/" + name,
                      file = folder + "/Radiantix cached settings 2";
    CreateDirectoryA(folder.c_str(), nullptr);
    DeleteFileA(file.c_str());
    SetEnvironmentVariableA("RADIANTIX_CACHE_DIR", folder.c_str());
    _putenv_s("RADIANTIX_CACHE_DIR", folder.c_str());
    return file;
}

// The program's arguments MODULE_FILE OUTPUT_DIR: loads the module (gModule, gEntry) with
// the settings cache in a fresh folder `cacheName` under OUTPUT_DIR.
inline bool startProgram(int argc, char** argv, const char* cacheName) {
    if (argc < 3) return false;
    char outputDir[MAX_PATH];
    GetFullPathNameA(argv[2], MAX_PATH, outputDir, nullptr);
    gOutputDir = outputDir;
    useCacheFolder(cacheName);
    SetCursorPos(0, 0);  // keep the real pointer away from the dialog
    gModule = LoadLibraryA(argv[1]);
    if (gModule)
        gEntry = reinterpret_cast<PluginEntryProc>(
            reinterpret_cast<void*>(GetProcAddress(gModule, "ENTRYPOINT")));
    if (!gEntry || !GetProcAddress(gModule, "DissolveProc")) {
        std::fprintf(stderr, "%s does not load with ENTRYPOINT and DissolveProc\n", argv[1]);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// What the dialog shows

// Lets the dialog's thread paint what is invalid now (it adds nothing to
// repaint).
inline void paintPending(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    settle();
}

// What a control last painted, as the dialog notes it on the control's window.
inline intptr_t shown(HWND dialog, int id) {
    return reinterpret_cast<intptr_t>(GetPropA(GetDlgItem(dialog, id), ui::kShownProperty));
}

// Every control that shows a setting, compared with the record `p`: sliders
// with their value boxes, toggles and mode pickers (the control table's), colour
// swatches, direction pads and the status line.
inline void checkShows(HWND dialog, const SunParameters& p, const char* when) {
    paintPending(dialog);
#define RX_AT(f) offsetof(SunParameters, f)
    static const struct {
        int id;
        size_t field;
    } colours[] = {{7, RX_AT(sunColor)},
                   {8, RX_AT(flareColor)},
                   {9, RX_AT(haloColor)},
                   {14, RX_AT(spikeColor)}},
      pads[] = {{112, RX_AT(spikeVector)}, {100, RX_AT(flareVector)}};
#undef RX_AT
    const char* base = reinterpret_cast<const char*>(&p);
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
    for (const auto& row : colours) {
        const auto* c = reinterpret_cast<const RGB16*>(base + row.field);
        expect(row.id, RGB(c->red >> 8, c->green >> 8, c->blue >> 8));
    }
    for (const auto& row : pads) {  // the knob's point in the pad, as it is drawn
        const auto* v = reinterpret_cast<const Vector3f*>(base + row.field);
        expect(row.id, ui::packedPoint(42 + int(33.0 * v->x), 41 + int(33.0 * v->y)));
    }
    char status[256] = "";
    GetWindowTextA(GetDlgItem(dialog, 76), status, sizeof status);
    if (std::strcmp(status, p.presetName) != 0) {
        std::fprintf(stderr, "%s: the status line shows \"%s\", the record names \"%s\"\n", when,
                     status, p.presetName);
        ++gFailures;
    }
}

// The painted slider `id` is its track with the thumb where `value` puts it,
// and nothing else (no old thumb). Left out where window pixels cannot be read.
inline void checkSliderPicture(HWND dialog, int id, int32_t value) {
    if (!kPixelsReadable) return (void)std::printf("slider picture check skipped (32-bit)\n");
    paintPending(dialog);
    const ui::PixelRect r = rectOf(id);
    HDC screen = GetDC(nullptr);
    HDC expected = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, r.width(), r.height());
    HGDIOBJ oldCanvas = SelectObject(expected, canvas);
    HDC source = CreateCompatibleDC(screen);
    const struct {
        int picture, x, y;
    } layers[] = {{ui::describeControl(id).pictures[0], 0, 0},  // the track
                  {ui::picThumb, 1 + value * (r.width() - 15) / 100, 1}};
    for (const auto& layer : layers) {
        HBITMAP picture = LoadBitmapA(gModule, MAKEINTRESOURCEA(layer.picture));
        BITMAP info{};
        GetObjectA(picture, sizeof info, &info);
        HGDIOBJ old = SelectObject(source, picture);
        BitBlt(expected, layer.x, layer.y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteObject(picture);
    }
    const std::vector<uint32_t> want = capture(expected, 0, 0, r.width(), r.height());
    SelectObject(expected, oldCanvas);
    DeleteObject(canvas);
    DeleteDC(source);
    DeleteDC(expected);
    ReleaseDC(nullptr, screen);
    const std::vector<uint32_t> got = capture(dialog, r.left, r.top, r.right, r.bottom);
    size_t differ = 0;
    for (size_t i = 0; i < got.size(); ++i) differ += got[i] != want[i];
    if (differ) {
        std::fprintf(stderr, "slider %d: %zu pixels differ from its track with the thumb at %d\n",
                     id, differ, value);
        ++gFailures;
    }
}

}  // namespace rx::wine_test
