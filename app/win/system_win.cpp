#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "app/system.h"

namespace rx::cli {

namespace {
volatile LONG gInterrupted = 0;

BOOL WINAPI onConsoleControl(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        InterlockedExchange(&gInterrupted, 1);
        return TRUE;
    }
    return FALSE;
}
}  // namespace

std::string executableDirectory() {
    char buf[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return "";
    std::string path(buf, n);
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

char pathSeparator() { return '\\'; }

std::string temporaryPathFor(const std::string& path) {
    return path + ".part-" + std::to_string(unsigned(GetCurrentProcessId()));
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    error = "cannot write \"" + to + "\" (error " + std::to_string(GetLastError()) + ")";
    return false;
}

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

// The module's C runtime reads the same environment block as ours.
void setEnvironment(const char* name, const char* value) { _putenv_s(name, value); }

void installInterruptHandler() { SetConsoleCtrlHandler(onConsoleControl, TRUE); }

bool interruptRequested() { return InterlockedCompareExchange(&gInterrupted, 0, 0) != 0; }

bool settingsDialogAvailable() { return true; }

}  // namespace rx::cli
