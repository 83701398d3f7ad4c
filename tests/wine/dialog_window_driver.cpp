// Answers the settings dialog of another process: waits for the window captioned "Radiantix", then
// clicks OK (control 3) or Cancel. That Enter and Escape reach these buttons is the dialog test's.
// Usage: dialog_window_driver ok|cancel
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const char* answer = argc == 2 ? argv[1] : "";
    const int button = !std::strcmp(answer, "ok")       ? 3
                       : !std::strcmp(answer, "cancel") ? IDCANCEL
                                                        : 0;
    if (!button) {
        std::fprintf(stderr, "usage: dialog_window_driver ok|cancel\n");
        return 2;
    }
    for (int tries = 0; tries < 600; ++tries, Sleep(100)) {
        HWND dialog = FindWindowA("#32770", "Radiantix");
        if (!dialog || !IsWindowVisible(dialog)) continue;
        Sleep(500);  // let the dialog finish its first preview
        PostMessageA(GetDlgItem(dialog, button), BM_CLICK, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "dialog_window_driver: no settings dialog appeared\n");
    return 1;
}
