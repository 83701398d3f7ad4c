// The few operating-system services of the command line: where the executable lives,
// terminal detection and Ctrl-C.
// app/system_posix.cpp and app/win/system_win.cpp implement them.
#pragma once

#include <string>

namespace rx::cli {

// Folder of the running executable, without a trailing separator; empty when unknown.
std::string executableDirectory();
char pathSeparator();

bool stderrIsTerminal();

// Standard input and output carry image bytes unchanged (binary mode on Windows).
void setBinaryStandardStreams();

// A seed for the runtime generator that differs between two runs started in the same
// second: a fine clock mixed with the process id.
unsigned randomSeed();

// Sets an environment variable of this process, which the loaded module reads too.
void setEnvironment(const char* name, const char* value);

// Whether this build's module has a settings dialog to open (the Windows builds).
bool settingsDialogAvailable();

// After this, Ctrl-C (SIGINT, SIGTERM, the console's Ctrl-C and Ctrl-Break) ends the process
// at once with "interrupted; nothing written" and status 130, except while the run polls
// for it (setInterruptPolled(true): the render, the writing of the output), when the first
// one only sets the flag that interruptRequested() reports and the run stops itself.
void installInterruptHandler();
void setInterruptPolled(bool polled);
// While the output is written, every Ctrl-C only sets the flag, a second one too: ending the
// process there would leave the temporary file behind, which the writer removes itself.
void setOutputWriting(bool writing);
bool interruptRequested();

}  // namespace rx::cli
