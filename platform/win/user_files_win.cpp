// Per-user files on Windows.
#include <windows.h>

#include <string>

#include "platform/user_files.h"

namespace rx::platform {

std::string userCacheFolder() {
    char buffer[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof buffer, buffer);  // the user's TMP / TEMP folder
    if (n == 0 || n > sizeof buffer) return {};
    return std::string(buffer, n);
}

static bool isSeparator(char c) { return c == '\\' || c == '/'; }

static bool isFolder(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool createFolders(const std::string& folder) {
    if (folder.empty()) return false;
    if (isFolder(folder)) return true;
    // Each missing level in turn; drive roots and server shares already exist.
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i < folder.size() && !isSeparator(folder[i])) continue;
        std::string level = folder.substr(0, i);
        if (level.empty() || level.back() == ':' || isFolder(level)) continue;
        if (!CreateDirectoryA(level.c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return isFolder(folder);
}

bool replaceFile(const std::string& path, const void* data, size_t size) {
    // A name of our own beside the target: the rename must stay within one volume.
    static LONG counter = 0;
    std::string temp = path + "." + std::to_string(GetCurrentProcessId()) + "." +
                       std::to_string(InterlockedIncrement(&counter)) + ".tmp";
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(h, data, static_cast<DWORD>(size), &written, nullptr) &&
              written == size;  // the module writes a few hundred bytes
    ok = ok && FlushFileBuffers(h);
    ok = CloseHandle(h) && ok;
    ok = ok && MoveFileExA(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

}  // namespace rx::platform
