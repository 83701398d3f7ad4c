// The preset file dialogs. Both use one description: the filter "Radiantix presets
// (*.q4q)", default extension q4q, initial folder presetFolder, Explorer style with the
// read-only box hidden, and a hook that centres the dialog on the screen when it opens
// (the dialogs have no owner).
#include "ui/preset_dialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>

#include "host/default_record.h"
#include "host/types/setting_table.h"
#include "settings/preset_file.h"

namespace rx::ui {
namespace {

// Centres the file dialog's frame (the parent of the hook's child dialog) over its owner,
// or the desktop when it has none, never past the left or top edge.
UINT_PTR CALLBACK presetDialogHook(HWND dialog, UINT message, WPARAM, LPARAM) noexcept try {
    if (message != WM_INITDIALOG) return 0;
    HWND frame = GetParent(dialog);
    if (!frame) frame = dialog;
    HWND owner = GetWindow(frame, GW_OWNER);
    RECT parent, own;
    GetWindowRect(owner ? owner : GetDesktopWindow(), &parent);
    GetWindowRect(frame, &own);
    const int w = own.right - own.left, h = own.bottom - own.top;
    const int x = std::max<int>(parent.left + (parent.right - parent.left - w) / 2, 0);
    const int y = std::max<int>(parent.top + (parent.bottom - parent.top - h) / 2, 0);
    SetWindowPos(frame, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 1;
} catch (...) {
    return 0;
}

bool runFileDialog(FilterSession& session, const char* title, bool save, std::string* path) {
    SunParameters* p = sunParameters(session);
    if (!p) return false;
    static const char filter[] = "Radiantix presets (*.q4q)\0*.q4q\0";
    char file[MAX_PATH + 1] = "";
    char name[MAX_PATH + 1] = "";
    char folder[kPresetFolderSize];
    std::memcpy(folder, p->presetFolder, sizeof folder);
    folder[sizeof folder - 1] = '\0';

    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = nullptr;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrFileTitle = name;
    ofn.nMaxFileTitle = MAX_PATH;
    ofn.lpstrInitialDir = folder[0] ? folder : nullptr;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = "q4q";
    ofn.lpfnHook = presetDialogHook;
    // The host's current folder stays as it was: the dialogs would otherwise move it to
    // the chosen file's folder, under the host's feet.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_NOCHANGEDIR |
                (save ? 0 : OFN_FILEMUSTEXIST);
    const BOOL ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!ok) return false;

    std::memset(p->presetName, 0, sizeof p->presetName);
    std::memcpy(p->presetName, name, std::min(std::strlen(name), sizeof p->presetName - 1));
    rememberPresetFolder(p->presetFolder, sizeof p->presetFolder, file, std::strlen(name));
    *path = file;
    return true;
}

}  // namespace

void rememberPresetFolder(char* folder, size_t folderSize, const char* path, size_t nameLength) {
    const size_t length = std::strlen(path);
    size_t keep = length > nameLength ? length - nameLength : 0;
    keep = std::min(keep, folderSize - 1);
    std::memcpy(folder, path, keep);
    std::memset(folder + keep, 0, folderSize - keep);
}

bool showSaveDialog(FilterSession& session, const char* title, std::string* path) {
    return runFileDialog(session, title, true, path);
}

bool showOpenDialog(FilterSession& session, const char* title, std::string* path) {
    return runFileDialog(session, title, false, path);
}

void savePresetFile(FilterSession& session) {
    std::string path;
    if (showSaveDialog(session, "Save a settings file", &path)) writePresetFile(session, path);
}

void loadPresetFile(FilterSession& session) {
    std::string path;
    if (!showOpenDialog(session, "Open a settings file", &path)) return;
    SunParameters* p = sunParameters(session);
    ApplyDefaults(*p);
    readPresetFile(session, path);
    // A foreign or damaged file may carry values the renderer cannot take.
    clampSettings(*p);
}

}  // namespace rx::ui
