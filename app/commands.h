// The subcommands of `radiantix`. Each returns the process exit status and reports every
// failure as one line on stderr, prefixed "radiantix: ".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/types/sun_parameters.h"

namespace rx::cli {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,        // unreadable input, bad module, failed render or write
    kExitUsage = 2,          // bad arguments: unknown field, malformed or out-of-range value
    kExitCancelled = 3,      // the settings dialog was cancelled
    kExitInterrupted = 130,  // Ctrl-C
};

// Where the settings of a run come from, applied in this order over the defaults.
struct SettingsOptions {
    std::string presetPath;                // --preset
    bool dice = false;                     // --dice: random settings
    bool ecce = false;                     // --ecce: a new seed
    std::vector<std::string> assignments;  // --set field=value, in order
    bool hasSeed = false;                  // --seed N
    std::string seed;                      // read as --set seed=N is
    bool reportDraws = true;               // print what --dice / --ecce drew on stderr
};

struct RenderOptions {
    SettingsOptions settings;
    std::vector<std::string> inputs;  // none: the built-in sky; "-" standard input
    std::string output = "sun.png";   // a file, a folder, a {name} pattern or "-" (stdout)
    std::string format;               // --format: png, jpeg, ...; empty: from the extension
    int jobs = 1;                     // --jobs: files rendered at once
    std::string savePreset;           // --save-preset: the settings used, as a preset file
    std::string maskPath;
    std::string modulePath;  // empty: defaultModulePath()
    std::string center;      // "X,Y" or empty
    bool quiet = false;
    bool dialog = false;   // open the settings dialog first (Windows builds)
    int quality = 0;       // --quality for JPEG and WebP; 0: the default
    int depth = 0;         // --depth 8: reduce 16-bit input instead of refusing it
    bool flatten = false;  // --flatten: alpha composited over white for formats without it
};

struct PresetWriteOptions {
    SettingsOptions settings;
    std::string path;
};

int renderCommand(const RenderOptions& options);
int presetShowCommand(const std::string& path, bool json);
int presetListCommand();
int presetWriteCommand(const PresetWriteOptions& options);
int aboutCommand(const std::string& modulePath);
int tablesCommand(const SettingsOptions& settings, int32_t scale);

// What an interrupted run says, whichever phase the signal reached.
inline constexpr char kInterrupted[] = "interrupted; nothing written";

// Builds the settings record of SettingsOptions. On failure prints the reason and returns
// false with the exit status in `status`.
bool buildSettings(const SettingsOptions& options, SunParameters& p, int& status);

// Writes the settings as a preset file (--save-preset). On failure prints the reason and
// returns false with the exit status in `status`.
bool savePreset(const SunParameters& p, const std::string& path, int& status);

// Writes `bytes` to a temporary file beside `path` and renames it over `path`, so that
// `path` is either untouched or complete. Every Ctrl-C meanwhile only sets the flag, and the
// writer stops and removes its temporary file when `proceed` says no (by default: when
// Ctrl-C was pressed), which it asks between chunks and before the rename.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string& error, bool (*proceed)() = nullptr);

// Why `path` cannot be written (its folder is missing or not writable, or it is a folder),
// or empty when a file can be created there. Leaves nothing behind.
std::string outputProblem(const std::string& path);

// Prints "radiantix: <message>" on stderr and returns `status`.
int fail(const std::string& message, int status);
// Prints to standard output; kExitFailure with a message when it cannot be written.
int printOut(const std::string& text);
// What the run was doing, for "not enough memory ...": "to read the input", etc.
const char* memoryPhase();
void setMemoryPhase(const char* phase);

}  // namespace rx::cli
