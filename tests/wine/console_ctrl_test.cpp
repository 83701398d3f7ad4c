// radiantix.exe's console Ctrl-C handler under Wine, one case (render, write, idle) per run, or
// `stop FOLDER`: the writer stopped after its first chunk over FOLDER/out.png. The cases and what
// each must give are in console_ctrl.sh; status 77 when Wine cannot send a Ctrl-C.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/system.h"

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "stop") == 0 && argc > 2) {
        std::string error;
        const std::vector<uint8_t> bytes(size_t(40) << 20, 7);  // three chunks
        const bool written =
            rx::cli::writeFileAtomically(std::string(argv[2]) + "/out.png", bytes, error, [] {
                static int calls = 0;
                return ++calls < 2;
            });
        std::printf("stop: %s\n", written ? "written" : error.c_str());
        return written ? 1 : 0;
    }
    FreeConsole();
    if (!AllocConsole()) std::printf("no console (error %lu)\n", GetLastError());
    rx::cli::installInterruptHandler();
    if (std::strcmp(mode, "render") == 0) rx::cli::setInterruptPolled(true);
    if (std::strcmp(mode, "write") == 0) rx::cli::setOutputWriting(true);
    if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
        std::printf("cannot send a console Ctrl-C (error %lu)\n", GetLastError());
        return 77;
    }
    // The handler runs on a thread of its own; this only bounds a hang.
    for (int i = 0; i < 3000 && !rx::cli::interruptRequested(); ++i) Sleep(10);
    std::printf("%s: %s\n", mode, rx::cli::interruptRequested() ? "flag set" : "no Ctrl-C seen");
    return rx::cli::interruptRequested() ? 0 : 1;
}
