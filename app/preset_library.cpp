#include "app/preset_library.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace rx::cli {

namespace {

namespace fs = std::filesystem;

const char kExtension[] = ".q4q";

bool endsWithExtension(const std::string& text) {
    const size_t n = sizeof kExtension - 1;
    if (text.size() < n) return false;
    std::string tail = text.substr(text.size() - n);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](char c) { return char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return tail == kExtension;
}

// "| `name` | description |" rows of a README table, by name.
std::map<std::string, std::string> readDescriptions(const fs::path& folder) {
    std::map<std::string, std::string> found;
    std::ifstream in(folder / "README.md");
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("| `", 0) != 0) continue;
        const size_t close = line.find('`', 3);
        const size_t bar = close == std::string::npos ? close : line.find('|', close);
        if (bar == std::string::npos) continue;
        std::string text = line.substr(bar + 1);
        if (!text.empty() && text.back() == '|') text.pop_back();
        const size_t first = text.find_first_not_of(' ');
        const size_t last = text.find_last_not_of(' ');
        found[line.substr(3, close - 3)] =
            first == std::string::npos ? "" : text.substr(first, last - first + 1);
    }
    return found;
}

}  // namespace

std::vector<std::string> presetFolders(const std::string& programFolder) {
    const fs::path dir = programFolder.empty() ? fs::path(".") : fs::path(programFolder);
    std::vector<std::string> folders;
    for (const fs::path& p : {dir / "presets", dir.parent_path() / "presets",
                              dir.parent_path() / "share" / "radiantix" / "presets"})
        folders.push_back(p.lexically_normal().string());
    return folders;
}

bool isPresetName(const std::string& text) {
    return !text.empty() && text.find_first_of("/\\") == std::string::npos &&
           !endsWithExtension(text);
}

bool findPreset(const std::string& name, const std::vector<std::string>& folders, std::string& path,
                std::string& error) {
    std::error_code ec;
    for (const std::string& folder : folders) {
        const fs::path file = fs::path(folder) / (name + kExtension);
        if (fs::is_regular_file(file, ec)) {
            path = file.string();
            return true;
        }
    }
    error = "no preset named \"" + name + "\" (looked in";
    for (size_t i = 0; i < folders.size(); ++i) error += (i ? ", " : " ") + folders[i];
    error += "; radiantix preset list shows the names)";
    return false;
}

std::vector<PresetEntry> listPresets(const std::vector<std::string>& folders) {
    std::map<std::string, std::string> byName;
    for (const std::string& folder : folders) {
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) continue;
        const std::map<std::string, std::string> described = readDescriptions(folder);
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string file = it->path().filename().string();
            if (!endsWithExtension(file) || !it->is_regular_file(ec)) continue;
            const std::string name = file.substr(0, file.size() - (sizeof kExtension - 1));
            if (byName.count(name)) continue;
            auto d = described.find(name);
            byName[name] = d == described.end() ? "" : d->second;
        }
    }
    std::vector<PresetEntry> entries;
    for (const auto& kv : byName) entries.push_back({kv.first, kv.second});
    return entries;
}

}  // namespace rx::cli
