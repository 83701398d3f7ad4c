// Per-user files on POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/user_files.h"

namespace rx::platform {

std::string userCacheFolder() {
    const char* xdg = getenv("XDG_CACHE_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/radiantix";
    const char* home = getenv("HOME");
    if (!home || !home[0]) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    if (!home || !home[0]) return {};
    return std::string(home) + "/.cache/radiantix";
}

bool createFolders(const std::string& folder) {
    if (folder.empty()) return false;
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    // Each missing level in turn, from the root down.
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i < folder.size() && folder[i] != '/') continue;
        std::string level = folder.substr(0, i);
        if (mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool replaceFile(const std::string& path, const void* data, size_t size) {
    std::vector<char> name(path.begin(), path.end());
    static const char kSuffix[] = ".XXXXXX";
    name.insert(name.end(), kSuffix, kSuffix + sizeof kSuffix);  // with the terminator
    int fd = mkstemp(name.data());  // same folder, new file, mode 0600
    if (fd < 0) return false;
    // Keep the usual mode of a user's document (the cache's folder is private anyway).
    bool ok = fchmod(fd, 0644) == 0;
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    while (ok && left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else {
            p += n;
            left -= static_cast<size_t>(n);
        }
    }
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && rename(name.data(), path.c_str()) == 0;
    if (!ok) unlink(name.data());
    return ok;
}

}  // namespace rx::platform
