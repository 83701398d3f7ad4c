// Answers the settings dialog of another process, as a user at the screen would: waits
// for the window captioned "Radiantix", then presses OK (Enter) or Cancel (Escape).
// Usage: dialog_window_driver ok|cancel
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const bool ok = argc == 2 && std::strcmp(argv[1], "ok") == 0;
    if (!ok && (argc != 2 || std::strcmp(argv[1], "cancel") != 0)) {
        std::fprintf(stderr, "usage: dialog_window_driver ok|cancel\n");
        return 2;
    }
    for (int tries = 0; tries < 600; ++tries, Sleep(100)) {
        HWND dialog = FindWindowA("#32770", "Radiantix");
        if (!dialog || !IsWindowVisible(dialog)) continue;
        Sleep(500);  // let the dialog finish its first preview
        SetForegroundWindow(dialog);
        const WPARAM key = ok ? VK_RETURN : VK_ESCAPE;
        PostMessageA(dialog, WM_KEYDOWN, key, 0);
        PostMessageA(dialog, WM_KEYUP, key, 0xC0000001);
        // The dialog manager sees keys through the message loop's IsDialogMessage; the
        // command is the fallback should the key go elsewhere.
        Sleep(1000);
        if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
        return 0;
    }
    std::fprintf(stderr, "dialog_window_driver: no settings dialog appeared\n");
    return 1;
}
