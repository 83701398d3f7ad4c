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
        if (!CreateDirectoryA(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return isFolder(folder);
}

namespace {

// How much is written between two questions to `proceed`.
constexpr size_t kChunk = size_t(16) << 20;

std::string reason(DWORD code) {
    char buffer[256];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, buffer, sizeof buffer, nullptr);
    while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == '.')) --n;
    return n ? std::string(buffer, n) : "error " + std::to_string(code);
}

// A new file beside `path` with a name of our own, created exclusively: the rename must stay
// within one volume, and CREATE_NEW never opens what is already there.
HANDLE createBeside(const std::string& path, std::string& temp) {
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + "." + std::to_string(GetCurrentProcessId()) + "." +
               std::to_string(InterlockedIncrement(&counter)) + "." +
               std::to_string(GetTickCount() & 0xffff) + ".tmp";
        HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

bool replaceFile(const std::string& path, const void* data, size_t size, std::string* error,
                 bool (*proceed)()) {
    std::string temp;
    HANDLE h = createBeside(path, temp);
    if (h == INVALID_HANDLE_VALUE) {
        if (error) *error = reason(GetLastError());
        return false;
    }
    bool ok = true, stopped = false;
    const char* p = static_cast<const char*>(data);
    for (size_t left = size; ok && left > 0;) {
        if (proceed && !proceed()) {
            ok = false;
            stopped = true;
            break;
        }
        DWORD chunk = DWORD(left < kChunk ? left : kChunk), written = 0;
        ok = WriteFile(h, p, chunk, &written, nullptr) && written == chunk;
        p += chunk;
        left -= chunk;
    }
    ok = ok && FlushFileBuffers(h);
    if (stopped) {
        if (error) *error = "interrupted";
    } else if (!ok && error) {
        *error = reason(GetLastError());
    }
    ok = CloseHandle(h) && ok;
    if (ok && proceed && !proceed()) {
        ok = false;
        if (error) *error = "interrupted";
    }
    // Replacing keeps the target's attributes and security as MoveFileEx does.
    if (ok && !MoveFileExA(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        if (error) *error = reason(GetLastError());
    }
    if (!ok) DeleteFileA(temp.c_str());
    return ok;
}

bool canCreateBeside(const std::string& path, std::string& error) {
    std::string temp;
    HANDLE h = createBeside(path, temp);
    if (h == INVALID_HANDLE_VALUE) {
        error = reason(GetLastError());
        return false;
    }
    CloseHandle(h);
    DeleteFileA(temp.c_str());
    return true;
}

ReadResult readRegularFile(const std::string& path, uint64_t maxBytes, bool prefix,
                           std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    if (isFolder(path)) return ReadResult::Folder;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = reason(GetLastError());
        return ReadResult::CannotOpen;
    }
    LARGE_INTEGER size;
    ReadResult result = ReadResult::Ok;
    // A pipe, a console or a device is not a file we read.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        result = ReadResult::NotRegular;
    } else if (!GetFileSizeEx(h, &size)) {
        error = reason(GetLastError());
        result = ReadResult::Failed;
    } else if (uint64_t(size.QuadPart) > maxBytes && !prefix) {
        result = ReadResult::TooLarge;
    }
    if (result != ReadResult::Ok) {
        CloseHandle(h);
        return result;
    }
    uint64_t want = uint64_t(size.QuadPart) < maxBytes ? uint64_t(size.QuadPart) : maxBytes;
    bytes.resize(size_t(want));
    size_t got = 0;
    while (got < bytes.size()) {
        size_t left = bytes.size() - got;
        DWORD n = 0;
        if (!ReadFile(h, bytes.data() + got, DWORD(left < (1u << 30) ? left : (1u << 30)), &n,
                      nullptr)) {
            error = reason(GetLastError());
            result = ReadResult::Failed;
            break;
        }
        if (n == 0) break;
        got += n;
    }
    CloseHandle(h);
    bytes.resize(got);
    return result;
}

}  // namespace rx::platform
