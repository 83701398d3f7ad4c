#include "app/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "app/image_io.h"
#include "app/module_loader.h"
#include "app/preset_library.h"
#include "app/setting_values.h"
#include "app/system.h"
#include "host/default_record.h"
#include "host/types/setting_table.h"
#include "platform/user_files.h"
#include "settings/preset_file.h"
#include "settings/random_settings.h"

namespace rx::cli {

namespace {

bool readFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    // A preset is 232 bytes; anything far larger is not one, and is not read.
    std::string why;
    switch (platform::readRegularFile(path, 1u << 20, false, bytes, why)) {
        case platform::ReadResult::Ok: return true;
        case platform::ReadResult::CannotOpen:
            error = "cannot open \"" + path + "\": " + why;
            break;
        case platform::ReadResult::Folder:
            error = "\"" + path + "\" is a folder, not a preset file";
            break;
        case platform::ReadResult::NotRegular:
            error = "\"" + path + "\" is not a regular file";
            break;
        case platform::ReadResult::TooLarge:
            error = "\"" + path + "\" is far larger than a preset file (" +
                    std::to_string(kPresetFileSize) + " bytes)";
            break;
        case platform::ReadResult::Failed: error = "cannot read \"" + path + "\": " + why; break;
    }
    return false;
}

// Why a preset file is not a sound preset; empty when it is one.
std::string presetProblem(const PresetReadInfo& info, const SunParameters& p) {
    if (!info.hasVersion) return "it is too short to be a preset file";
    if (info.version < 1 || info.version > 255)
        return "its format version " + std::to_string(info.version) + " is not a preset version";
    if (info.bytesGiven > kPresetFileSize)
        return "it is " + std::to_string(info.bytesGiven) + " bytes long, larger than a preset (" +
               std::to_string(kPresetFileSize) + " bytes)";
    if (info.bytesGiven < info.expectedSize())
        return "it is " + std::to_string(info.bytesGiven) + " bytes long; a version " +
               std::to_string(info.version) + " preset has " + std::to_string(info.expectedSize());
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    for (size_t i = 0; i < count; ++i) {
        if (!settingInRange(table[i], p))
            return std::string(table[i].name) + " is " + std::to_string(settingInt(p, table[i])) +
                   ", outside " + std::to_string(table[i].minValue) + ".." +
                   std::to_string(table[i].maxValue);
    }
    return "";
}

bool loadPreset(const std::string& path, SunParameters& p, PresetReadInfo& info,
                std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes, error)) return false;
    info = parsePreset(bytes.data(), bytes.size(), p);
    info.bytesGiven = bytes.size();
    return true;
}

// Reads the preset that --preset or `preset show` names (a file, or a name from the
// library) over `p`, refusing a file that is not a sound preset.
bool loadSoundPreset(const std::string& given, SunParameters& p, PresetReadInfo& info,
                     std::string& error) {
    std::string path = given;
    if (isPresetName(given) &&
        !findPreset(given, presetFolders(executableDirectory()), path, error))
        return false;
    if (!loadPreset(path, p, info, error)) return false;
    const std::string problem = presetProblem(info, p);
    if (problem.empty()) return true;
    error = "\"" + path + "\" is not a preset file: " + problem;
    return false;
}

// A setting as the value of --set field=value.
std::string settingText(const SettingInfo& s, const SunParameters& p) {
    std::string value = settingJson(s, p);
    if (s.kind == SettingKind::Colour) return value.substr(1, value.size() - 2);
    if (s.kind == SettingKind::Vector) return formatVector(settingVector(p, s));
    return value;
}

}  // namespace

namespace {
const char* gPhase = "";
}  // namespace

const char* memoryPhase() { return gPhase; }
void setMemoryPhase(const char* phase) { gPhase = phase; }

int fail(const std::string& message, int status) {
    std::fprintf(stderr, "radiantix: %s\n", message.c_str());
    return status;
}

int printOut(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return fail(std::string("cannot write to standard output: ") + std::strerror(errno),
                    kExitFailure);
    return kExitOk;
}

bool buildSettings(const SettingsOptions& options, SunParameters& p, int& status) {
    MakeDefaultRecord(p);
    std::string error;
    if (!options.presetPath.empty()) {
        PresetReadInfo info;
        if (!loadSoundPreset(options.presetPath, p, info, error)) {
            status = fail(error, kExitFailure);
            return false;
        }
    }
    if (options.dice || options.ecce) std::srand(randomSeed());
    if (options.dice) randomizeSettings(p, runtimeRandom());
    if (options.ecce) newSeed(p, runtimeRandom());
    for (const std::string& a : options.assignments) {
        if (!applyAssignment(a, p, error)) {
            status = fail(error, kExitUsage);
            return false;
        }
    }
    if (options.hasSeed) {
        if (!applyAssignment("seed=" + options.seed, p, error)) {
            status = fail(error, kExitUsage);
            return false;
        }
    }
    // What was drawn, as arguments that give the same look again: every setting after
    // --dice (the later --set values included), the seed after --ecce alone.
    if (options.reportDraws && (options.dice || options.ecce)) {
        size_t count = 0;
        const SettingInfo* table = settingTable(&count);
        std::string line = options.dice ? "--dice drew:" : "--ecce drew:";
        for (size_t i = 0; i < count; ++i)
            if (options.dice || std::string(table[i].name) == "seed")
                line += " --set " + std::string(table[i].name) + "=" + settingText(table[i], p);
        fail(line, kExitOk);
    }
    return true;
}

bool savePreset(const SunParameters& p, const std::string& path, int& status) {
    std::array<uint8_t, kPresetFileSize> data = serializePreset(p);
    std::vector<uint8_t> bytes(data.begin(), data.end());
    std::string error;
    setInterruptPolled(true);
    const bool written = writeFileAtomically(path, bytes, error);
    setInterruptPolled(false);
    if (written) return true;
    status = fail(error, error == kInterrupted ? kExitInterrupted : kExitFailure);
    return false;
}

std::string outputProblem(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path file(path);
    if (std::filesystem::is_directory(file, ec))
        return "cannot write \"" + path + "\": it is a folder";
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    if (!std::filesystem::is_directory(folder, ec))
        return "cannot write \"" + path + "\": the folder \"" + folder.string() +
               "\" does not exist";
    // The render may take a while: try creating the temporary file now rather than after it.
    // A Ctrl-C meanwhile only sets the flag (the run stops at its next check), so that the
    // trial file is removed rather than left behind.
    std::string why;
    setOutputWriting(true);
    const bool creatable = platform::canCreateBeside(path, why);
    setOutputWriting(false);
    if (!creatable) return "cannot write \"" + path + "\": " + why;
    return "";
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string& error, bool (*proceed)()) {
    std::string why;
    setOutputWriting(true);
    const bool written = platform::replaceFile(
        path, bytes.data(), bytes.size(), &why,
        proceed ? proceed : [] { return !interruptRequested(); });
    setOutputWriting(false);
    if (written) return true;
    error = interruptRequested() ? kInterrupted : "cannot write \"" + path + "\": " + why;
    return false;
}

int presetShowCommand(const std::string& path, bool json) {
    std::unique_ptr<SunParameters> p(new SunParameters);
    MakeDefaultRecord(*p);
    PresetReadInfo info;
    std::string error;
    if (!loadSoundPreset(path, *p, info, error)) return fail(error, kExitFailure);

    // Every setting with the value a render uses: what the file holds, after the fix-ups of
    // old versions, and the defaults for what it lacks (named under "missing").
    const std::vector<std::string> missing = info.missingSettings();
    size_t count = 0;
    const SettingInfo* table = settingTable(&count);
    std::string out;
    if (json) {
        out += "{\n  \"version\": " + std::to_string(info.version) + ",\n";
        out += settingsJsonMembers(*p, 2);
        out.insert(out.size() - 1, ",");
        out += "  \"missing\": [";
        for (size_t i = 0; i < missing.size(); ++i) out += (i ? ", \"" : "\"") + missing[i] + "\"";
        out += "]\n}\n";
    } else {
        out += "version " + std::to_string(info.version) + "\n";
        for (size_t i = 0; i < count; ++i)
            out += std::string(table[i].name) + "=" + settingText(table[i], *p) + "\n";
        if (!missing.empty()) {
            out += "not in the file (defaults or old-file values):";
            for (const std::string& m : missing) out += " " + m;
            out += "\n";
        }
    }
    return printOut(out);
}

int presetListCommand() {
    const std::vector<std::string> folders = presetFolders(executableDirectory());
    const std::vector<PresetEntry> presets = listPresets(folders);
    if (presets.empty()) {
        std::string where;
        for (const std::string& f : folders) where += (where.empty() ? "" : ", ") + f;
        return fail("no presets found (looked in " + where + ")", kExitFailure);
    }
    size_t width = 0;
    for (const PresetEntry& e : presets) width = std::max(width, e.name.size());
    std::string out;
    for (const PresetEntry& e : presets) {
        out += e.name;
        if (!e.description.empty())
            out += std::string(width + 2 - e.name.size(), ' ') + e.description;
        out += "\n";
    }
    return printOut(out);
}

int presetWriteCommand(const PresetWriteOptions& options) {
    std::unique_ptr<SunParameters> p(new SunParameters);
    int status = kExitOk;
    if (!buildSettings(options.settings, *p, status)) return status;
    return savePreset(*p, options.path, status) ? kExitOk : status;
}

int aboutCommand(const std::string& modulePathOption) {
    std::printf(
        "radiantix %s: renders a procedural sun onto images through the Radiantix "
        "filter module, as a paint program does.\n",
        RADIANTIX_VERSION);
    std::string modulePath = modulePathOption.empty() ? defaultModulePath() : modulePathOption;
    std::string error;
    std::unique_ptr<FilterModule> module = FilterModule::open(modulePath, error);
    if (!module) return fail(error, kExitFailure);
    std::printf("module: %s\n", module->path().c_str());
    if (!module->name().empty())
        std::printf("filter: %s (category %s)\n", module->name().c_str(),
                    module->category().c_str());
    std::printf("entry point: %s\n", module->entryName().c_str());
    return kExitOk;
}

}  // namespace rx::cli
