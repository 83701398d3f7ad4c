#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/system.h"

namespace rx::cli {

namespace {
volatile LONG gInterrupted = 0;
volatile LONG gPolled = 0;
volatile LONG gWriting = 0;  // outputs being written (several with --jobs)

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

void setBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

unsigned randomSeed() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    const uint64_t mixed = uint64_t(ticks) * 0x9E3779B97F4A7C15ull ^ uint64_t(_getpid());
    return unsigned(mixed ^ (mixed >> 32));
}

// The module's C runtime reads the same environment block as ours.
void setEnvironment(const char* name, const char* value) { _putenv_s(name, value); }

void installInterruptHandler() { SetConsoleCtrlHandler(onConsoleControl, TRUE); }

void setInterruptPolled(bool polled) { InterlockedExchange(&gPolled, polled ? 1 : 0); }

void setOutputWriting(bool writing) {
    if (writing)
        InterlockedIncrement(&gWriting);
    else
        InterlockedDecrement(&gWriting);
}

bool interruptRequested() { return InterlockedCompareExchange(&gInterrupted, 0, 0) != 0; }

bool settingsDialogAvailable() { return true; }

}  // namespace rx::cli
