// Per-user files: the folder that keeps the module's cache between runs, creating a
// folder, and replacing a file so that readers see either the old or the new contents.
#pragma once

#include <cstddef>
#include <string>

namespace rx::platform {

// The per-user folder for the settings cache: the user's temporary folder on Windows,
// $XDG_CACHE_HOME/radiantix (an absolute XDG_CACHE_HOME only) or ~/.cache/radiantix
// elsewhere. Empty when none can be found.
std::string userCacheFolder();

// Creates `folder` and any missing parents (private to the user where the system has
// such permissions). True when the folder exists afterwards.
bool createFolders(const std::string& folder);

// Writes `size` bytes to a new temporary file in the folder of `path`, flushes it, then
// renames it over `path`. On any failure the temporary file is removed and `path` keeps
// its previous contents. False when nothing was replaced.
bool replaceFile(const std::string& path, const void* data, size_t size);

}  // namespace rx::platform
