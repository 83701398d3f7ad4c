// What the Windows dialog test programs share: failure counting, finding windows, mouse
// input sent from a helper thread while the host's thread runs the modal dialog, and
// screenshots. Each program defines STB_IMAGE_WRITE_IMPLEMENTATION once before this.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "stb_image_write.h"
#include "ui/control_model.h"

namespace rx::wine_test {

inline int gFailures = 0;
inline std::string gOutputDir;  // screenshots go here

#define CHECK(cond)                                                                      \
    do {                                                                                 \
        if (!(cond)) {                                                                   \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++::rx::wine_test::gFailures;                                                \
        }                                                                                \
    } while (0)
#define CHECK_EQ(a, b)                                                                      \
    do {                                                                                    \
        const auto va = (a);                                                                \
        const auto vb = (b);                                                                \
        if (!(va == vb)) {                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s == %s (%g vs %g)\n", __FILE__,     \
                         __LINE__, #a, #b, double(va), double(vb));                         \
            ++::rx::wine_test::gFailures;                                                   \
        }                                                                                   \
    } while (0)

inline HWND waitForWindow(const char* className, const char* title, int tries = 300) {
    for (int i = 0; i < tries; ++i) {
        HWND w = FindWindowA(className, title);
        if (w && IsWindowVisible(w)) return w;
        Sleep(50);
    }
    return nullptr;
}

// Mouse messages are sent, so each returns once the dialog has handled it (a release
// includes the preview render it starts). A press also posts a pointer move to the
// dialog itself; the pause lets the dialog's loop take it before the next message.
inline void settle() { Sleep(150); }

inline LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

// The screen's own pointer is put where the sent message says the mouse is: a window
// holding the capture also receives moves of the real pointer, which would otherwise move
// a slider or a popup's highlight to wherever the pointer happens to rest.
inline void placePointer(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    if (SetCursorPos(p.x, p.y)) Sleep(40);  // the real move is handled before the sent one
}
inline void press(HWND w, int x, int y) {
    placePointer(w, x, y);
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
    settle();
}
inline void moveTo(HWND w, int x, int y) {
    placePointer(w, x, y);
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, at(x, y));
}
inline void release(HWND w, int x, int y) {
    placePointer(w, x, y);
    SendMessageA(w, WM_LBUTTONUP, 0, at(x, y));
    settle();
}

inline ui::PixelRect rectOf(int id) {
    ui::PixelRect r{};
    ui::layoutRect(id, &r);
    return r;
}

// Copies a width x height area at (x, y) of `source` into a PNG under gOutputDir.
inline bool savePng(HDC source, int x, int y, int width, int height, const std::string& name) {
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
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    const uint8_t* p = static_cast<const uint8_t*>(bits);
    for (int i = 0; i < width * height; ++i) {
        rgb[i * 3] = p[i * 4 + 2];
        rgb[i * 3 + 1] = p[i * 4 + 1];
        rgb[i * 3 + 2] = p[i * 4];
    }
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    const std::string path = gOutputDir + "/" + name;
    std::printf("screenshot: %s\n", path.c_str());
    return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

// A window's client area as a PNG.
inline bool screenshot(HWND w, const std::string& name) {
    RECT client;
    GetClientRect(w, &client);
    HDC dc = GetDC(w);
    const bool ok = savePng(dc, 0, 0, client.right, client.bottom, name);
    ReleaseDC(w, dc);
    return ok;
}

// A screen area as a PNG (the dialog with windows over it, such as the popup).
inline bool screenshotScreen(const RECT& area, const std::string& name) {
    HDC screen = GetDC(nullptr);
    const bool ok = savePng(screen, area.left, area.top, area.right - area.left,
                            area.bottom - area.top, name);
    ReleaseDC(nullptr, screen);
    return ok;
}

inline DWORD WINAPI runDriver(void* driver) {
    (*static_cast<const std::function<void()>*>(driver))();
    return 0;
}

// Runs `driver` on a helper thread while `body` runs the module on this thread.
inline void withDriver(const std::function<void()>& driver, const std::function<void()>& body) {
    HANDLE helper = CreateThread(nullptr, 0, runDriver,
                                 const_cast<std::function<void()>*>(&driver), 0, nullptr);
    body();
    WaitForSingleObject(helper, INFINITE);
    CloseHandle(helper);
}

}  // namespace rx::wine_test
