#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "app/system.h"

namespace rx::cli {

namespace {
volatile LONG gInterrupted = 0;
volatile LONG gPolled = 0;
volatile LONG gWriting = 0;

// Runs on a thread of its own, while the main thread carries on.
BOOL WINAPI onConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    if (InterlockedCompareExchange(&gWriting, 0, 0)) {
        InterlockedExchange(&gInterrupted, 1);
        return TRUE;
    }
    if (InterlockedCompareExchange(&gPolled, 0, 0) && !InterlockedExchange(&gInterrupted, 1))
        return TRUE;
    // Reading, decoding, loading the module or encoding: nothing to keep, so stop now.
    std::fputs("\nradiantix: interrupted; nothing written\n", stderr);
    std::fflush(stderr);
    ExitProcess(130);
    return TRUE;
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

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

// The module's C runtime reads the same environment block as ours.
void setEnvironment(const char* name, const char* value) { _putenv_s(name, value); }

void installInterruptHandler() { SetConsoleCtrlHandler(onConsoleControl, TRUE); }

void setInterruptPolled(bool polled) { InterlockedExchange(&gPolled, polled ? 1 : 0); }

void setOutputWriting(bool writing) { InterlockedExchange(&gWriting, writing ? 1 : 0); }

bool interruptRequested() { return InterlockedCompareExchange(&gInterrupted, 0, 0) != 0; }

bool settingsDialogAvailable() { return true; }

}  // namespace rx::cli
