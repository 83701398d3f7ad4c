#include "app/system.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace rx::cli {

namespace {
volatile std::sig_atomic_t gInterrupted = 0;
void onInterrupt(int) { gInterrupted = 1; }
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

std::string temporaryPathFor(const std::string& path) {
    return path + ".part-" + std::to_string(long(getpid()));
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    error = "cannot write \"" + to + "\": " + std::strerror(errno);
    return false;
}

bool stderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void setEnvironment(const char* name, const char* value) { ::setenv(name, value, 1); }

void installInterruptHandler() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onInterrupt;
    // Reads and writes carry on after the signal; the run checks the flag itself.
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool interruptRequested() { return gInterrupted != 0; }

bool settingsDialogAvailable() { return false; }

}  // namespace rx::cli
