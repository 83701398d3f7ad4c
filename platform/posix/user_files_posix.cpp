// Per-user files on POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/frame_memory.h"
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

namespace {

std::string reason() { return strerror(errno); }

// How much is written between two questions to `proceed`.
constexpr size_t kChunk = size_t(16) << 20;

// A new file beside `path` with a unique name, created exclusively (mode 0600).
int createBeside(const std::string& path, std::vector<char>& name) {
    static const char kSuffix[] = ".XXXXXX";
    name.assign(path.begin(), path.end());
    name.insert(name.end(), kSuffix, kSuffix + sizeof kSuffix);  // with the terminator
    return mkstemp(name.data());
}

}  // namespace

bool replaceFile(const std::string& path, const void* data, size_t size, std::string* error,
                 bool (*proceed)()) {
    std::vector<char> name;
    int fd = createBeside(path, name);
    if (fd < 0) {
        if (error) *error = reason();
        return false;
    }
    // A file replaced keeps its permissions; a new one gets the usual mode of a document.
    // When `path` is a symbolic link, the rename replaces the link itself, never the file it
    // points to, and the new file does not take that file's permissions either.
    struct stat st;
    mode_t mode;
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
    } else {
        mode = umask(0);
        umask(mode);
        mode = 0666 & ~mode;
    }
    bool ok = fchmod(fd, mode) == 0;
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    bool stopped = false;
    while (ok && left > 0) {
        if (proceed && !proceed()) {
            ok = false;
            stopped = true;
            break;
        }
        ssize_t n = write(fd, p, std::min(left, kChunk));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            ok = false;
        else {
            p += n;
            left -= static_cast<size_t>(n);
        }
    }
    ok = ok && fsync(fd) == 0;
    if (stopped) {
        if (error) *error = "interrupted";
    } else if (!ok && error) {
        *error = errno == ENOSPC || errno == 0 ? "the disk is full" : reason();
    }
    if (close(fd) != 0 && ok) {
        ok = false;
        if (error) *error = reason();
    }
    if (ok && proceed && !proceed()) {
        ok = false;
        if (error) *error = "interrupted";
    }
    if (ok && rename(name.data(), path.c_str()) != 0) {
        ok = false;
        if (error) *error = reason();
    }
    if (!ok) unlink(name.data());
    return ok;
}

bool canCreateBeside(const std::string& path, std::string& error) {
    std::vector<char> name;
    int fd = createBeside(path, name);
    if (fd < 0) {
        error = reason();
        return false;
    }
    close(fd);
    unlink(name.data());
    return true;
}

ReadResult readRegularFile(const std::string& path, uint64_t maxBytes, bool prefix,
                           std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    // Without blocking: opening a FIFO for reading would otherwise wait for a writer.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = reason();
        return ReadResult::CannotOpen;
    }
    struct stat st;
    ReadResult result = ReadResult::Ok;
    if (fstat(fd, &st) != 0) {
        error = reason();
        result = ReadResult::Failed;
    } else if (S_ISDIR(st.st_mode)) {
        result = ReadResult::Folder;
    } else if (!S_ISREG(st.st_mode)) {
        result = ReadResult::NotRegular;
    } else if (uint64_t(st.st_size) > maxBytes && !prefix) {
        result = ReadResult::TooLarge;
    }
    if (result != ReadResult::Ok) {
        close(fd);
        return result;
    }
    uint64_t want = std::min<uint64_t>(uint64_t(st.st_size), maxBytes);
    bytes.reserve(size_t(want));
    adviseHugePages(bytes.data(), bytes.capacity());
    bytes.resize(size_t(want));
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = reason();
            result = ReadResult::Failed;
        }
        if (n <= 0) break;  // the file shrank meanwhile: what is there is what it holds
        got += size_t(n);
    }
    close(fd);
    bytes.resize(got);
    return result;
}

}  // namespace rx::platform
