// The preset library: named looks (NAME.q4q) in the presets folder that ships with the
// program, found by name (`--preset desert-noon`) and listed (`radiantix preset list`).
#pragma once

#include <string>
#include <vector>

namespace rx::cli {

// The folders searched, in order, for a program in `programFolder`: presets/ beside it (the
// Windows zip), ../presets (the build tree, where the build copies them) and
// ../share/radiantix/presets (an installed tree).
std::vector<std::string> presetFolders(const std::string& programFolder);

// Whether `--preset` text is a library name rather than a file: no path separator and no
// .q4q extension.
bool isPresetName(const std::string& text);

// The file of preset `name` in the first folder that has it. On failure returns false with
// one line in `error` that names the folders searched.
bool findPreset(const std::string& name, const std::vector<std::string>& folders, std::string& path,
                std::string& error);

struct PresetEntry {
    std::string name;         // file name without .q4q
    std::string description;  // from the folder's README.md table; may be empty
};

// Every preset of the folders, by name, the first folder winning for a name present in
// several; descriptions come from a table row "| `name` | description |" of the README.md
// in the preset's folder.
std::vector<PresetEntry> listPresets(const std::vector<std::string>& folders);

}  // namespace rx::cli
