// Per-user files: the folder that keeps the module's cache between runs, creating a
// folder, and replacing a file so that readers see either the old or the new contents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rx::platform {

// The per-user folder for the settings cache: the user's temporary folder on Windows,
// $XDG_CACHE_HOME/radiantix (an absolute XDG_CACHE_HOME only) or ~/.cache/radiantix
// elsewhere. Empty when none can be found.
std::string userCacheFolder();

// Creates `folder` and any missing parents (private to the user where the system has
// such permissions). True when the folder exists afterwards.
bool createFolders(const std::string& folder);

// Writes `size` bytes to a new temporary file in the folder of `path` (a unique name,
// created exclusively, so a link planted there is never followed), flushes it, then renames
// it over `path`; a file replaced keeps its permissions, and a symbolic link at `path` is
// replaced itself, the file it points to left alone. On any failure, or when `proceed`
// (if given) says no before a chunk of at most 16 MB is written or just before the rename,
// the temporary file is removed and `path` keeps its previous contents. False with a reason in
// `error` (if given) when nothing was replaced.
bool replaceFile(const std::string& path, const void* data, size_t size,
                 std::string* error = nullptr, bool (*proceed)() = nullptr);

// Whether a new file can be created in the folder of `path` (creates and removes one).
bool canCreateBeside(const std::string& path, std::string& error);

enum class ReadResult { Ok, CannotOpen, Folder, NotRegular, TooLarge, Failed };

// Reads a regular file whole. Anything else (a folder, a FIFO, a device) is refused without
// waiting on it, and so is a file larger than `maxBytes` unless `prefix` is set, when its
// first `maxBytes` are read. `error` is the system's reason for CannotOpen and Failed.
ReadResult readRegularFile(const std::string& path, uint64_t maxBytes, bool prefix,
                           std::vector<uint8_t>& bytes, std::string& error);

}  // namespace rx::platform
