#include "app/system.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace rx::cli {

namespace {
volatile std::sig_atomic_t gInterrupted = 0;
volatile std::sig_atomic_t gPolled = 0;
std::atomic<int> gWriting{0};  // outputs being written (several with --jobs)

void onInterrupt(int) {
    if (gWriting.load() != 0 || (gPolled && !gInterrupted)) {
        gInterrupted = 1;
        return;
    }
    // Reading, decoding, loading the module or encoding: nothing to keep, so stop now.
    static const char kMessage[] = "\nradiantix: interrupted; nothing written\n";
    ssize_t ignored = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    (void)ignored;
    _exit(130);
}
}  // namespace

std::string executableDirectory() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    std::string path(buf, size_t(n));
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

char pathSeparator() { return '/'; }

bool stderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void setBinaryStandardStreams() {}

unsigned randomSeed() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    const uint64_t mixed = uint64_t(ticks) * 0x9E3779B97F4A7C15ull ^ uint64_t(getpid());
    return unsigned(mixed ^ (mixed >> 32));
}

void setEnvironment(const char* name, const char* value) { ::setenv(name, value, 1); }

void installInterruptHandler() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onInterrupt;
    // No SA_RESTART: a read blocked on something slow returns rather than waiting on.
    sa.sa_flags = 0;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

void setInterruptPolled(bool polled) { gPolled = polled ? 1 : 0; }

void setOutputWriting(bool writing) { gWriting.fetch_add(writing ? 1 : -1); }

bool interruptRequested() { return gInterrupted != 0; }

bool settingsDialogAvailable() { return false; }

}  // namespace rx::cli
