#include "settings/cache_file.h"

#include <cstdlib>

#include "platform/user_files.h"
#include "settings/preset_file.h"

namespace rx {

namespace {

constexpr char kCacheFileName[] = "Radiantix cached settings 2";

// RADIANTIX_CACHE_DIR overrides the per-user folder.
std::string cacheFolder() {
    const char* over = std::getenv("RADIANTIX_CACHE_DIR");
    if (over && over[0]) return over;
    return platform::userCacheFolder();
}

}  // namespace

std::string cacheFilePath() {
    std::string folder = cacheFolder();
    if (folder.empty()) return {};
    char last = folder.back();
    if (last != '/' && last != '\\') folder += '/';
    return folder + kCacheFileName;
}

void readCacheFile(FilterSession& session) {
    std::string path = cacheFilePath();
    if (!path.empty()) readPresetFile(session, path);
}

void writeCacheFile(FilterSession& session) {
    const SunParameters* p = sunParameters(session);
    std::string folder = cacheFolder();
    if (!p || folder.empty()) return;
    platform::createFolders(folder);  // a failure shows in replaceFile, silently
    std::array<uint8_t, kPresetFileSize> bytes = serializePreset(*p);
    platform::replaceFile(cacheFilePath(), bytes.data(), bytes.size());
}

}  // namespace rx
