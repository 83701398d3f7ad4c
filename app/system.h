// The few operating-system services of the command line: where the executable lives,
// replacing a file by a finished temporary one, terminal detection and Ctrl-C.
// app/system_posix.cpp and app/win/system_win.cpp implement them.
#pragma once

#include <string>

namespace rx::cli {

// Folder of the running executable, without a trailing separator; empty when unknown.
std::string executableDirectory();
char pathSeparator();

// A file name next to `path` for writing before the final rename.
std::string temporaryPathFor(const std::string& path);

// Renames `from` over `to`, replacing `to` if it exists.
bool replaceFile(const std::string& from, const std::string& to, std::string& error);

bool stderrIsTerminal();

// Sets an environment variable of this process, which the loaded module reads too.
void setEnvironment(const char* name, const char* value);

// Whether this build's module has a settings dialog to open (the Windows builds).
bool settingsDialogAvailable();

// After this, Ctrl-C (SIGINT, the console's Ctrl-C and Ctrl-Break) no longer ends the
// process but sets a flag that interruptRequested() reports.
void installInterruptHandler();
bool interruptRequested();

}  // namespace rx::cli
