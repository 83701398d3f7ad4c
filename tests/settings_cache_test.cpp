// The cache of the last settings: where it lives, that it is replaced whole, and that
// every failure is silent and keeps the previous cache.
#include "settings/cache_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "host/default_record.h"
#include "host_test_support.h"
#include "settings/preset_file.h"

namespace rx {
namespace {

using testing::fileBytes;
using testing::fileNames;

using Files = std::vector<std::string>;

class CacheFile : public testing::IsolatedCache {
protected:
    const char* vars[3] = {"RADIANTIX_CACHE_DIR", "XDG_CACHE_HOME", "HOME"};
    std::optional<std::string> savedEnv[3];  // put back after each case
    SunParameters params = testing::defaults();
    char* master = reinterpret_cast<char*>(&params);
    FilterRecord record{};
    FilterSession session{};

    void SetUp() override {
        for (int i = 0; i < 3; ++i)
            if (const char* v = getenv(vars[i])) savedEnv[i] = v;
        IsolatedCache::SetUp();
        record.parameters = &master;
        session.filterRecord = &record;
    }
    void TearDown() override {
        chmod(dir_.string().c_str(), 0700);
        IsolatedCache::TearDown();
        for (int i = 0; i < 3; ++i)
            savedEnv[i] ? setenv(vars[i], savedEnv[i]->c_str(), 1) : unsetenv(vars[i]);
    }
};

TEST_F(CacheFile, LivesInAPerUserFolder) {
    // An absolute XDG_CACHE_HOME, else HOME's .cache; RADIANTIX_CACHE_DIR over both.
    const struct {
        const char *override, *xdg, *home, *folder;
    } cases[] = {{nullptr, "/var/cache-of-user", "/home/someone", "/var/cache-of-user/radiantix"},
                 {nullptr, "relative/ignored", "/home/someone", "/home/someone/.cache/radiantix"},
                 {nullptr, nullptr, "/home/someone", "/home/someone/.cache/radiantix"},
                 {"/elsewhere/", "/var/c", "/home/someone", "/elsewhere"},
                 {"/elsewhere", nullptr, "/home/someone", "/elsewhere"}};
    for (const auto& c : cases) {
        const std::pair<const char*, const char*> vars[] = {
            {"RADIANTIX_CACHE_DIR", c.override}, {"XDG_CACHE_HOME", c.xdg}, {"HOME", c.home}};
        for (const auto& [name, value] : vars) value ? setenv(name, value, 1) : unsetenv(name);
        EXPECT_EQ(cacheFilePath(), std::string(c.folder) + "/Radiantix cached settings 2");
    }
}

TEST_F(CacheFile, WriteCreatesTheFolderAndReadRestoresTheSettings) {
    std::string folder = dir_.string() + "/deeper/still";
    setenv("RADIANTIX_CACHE_DIR", folder.c_str(), 1);
    // Nothing there yet: the defaults stay.
    SunParameters before = params;
    readCacheFile(session);
    EXPECT_EQ(std::memcmp(&params, &before, sizeof params), 0);

    params.sunRadius = 77;
    params.seed = 1999;
    params.spikeVector = Vector3f{0.7f, -0.3f, 0.0f};
    writeCacheFile(session);
    EXPECT_EQ(fileNames(folder), Files{"Radiantix cached settings 2"});
    auto expected = serializePreset(params);
    EXPECT_EQ(fileBytes(cacheFilePath()), std::string(expected.begin(), expected.end()));
    struct stat st;
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);  // private to the user

    // Read back, vectors included (that repeated saves do not drift is the preset file test's).
    const SunParameters written = params;
    ApplyDefaults(params);
    readCacheFile(session);
    EXPECT_EQ(std::memcmp(&params, &written, sizeof params), 0);
}

TEST_F(CacheFile, FailedWritesKeepThePreviousCacheAndLeaveNoTemporaryFiles) {
    setenv("RADIANTIX_CACHE_DIR", dir_.string().c_str(), 1);
    params.sunRadius = 11;
    writeCacheFile(session);
    const std::string first = fileBytes(cacheFilePath());
    ASSERT_EQ(first.size(), kPresetFileSize);

    // The folder cannot take new files (root may write anyway; then the write succeeds).
    chmod(dir_.string().c_str(), 0500);
    params.sunRadius = 22;
    writeCacheFile(session);
    chmod(dir_.string().c_str(), 0700);
    if (geteuid() != 0) {
        EXPECT_EQ(fileBytes(cacheFilePath()), first);
    }
    EXPECT_EQ(fileNames(dir_.string()).size(), 1u);

    // The rename cannot replace a folder of that name: the temporary file goes again.
    std::string path = cacheFilePath();
    unlink(path.c_str());
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((path + "/inside").c_str(), 0700), 0);
    writeCacheFile(session);
    EXPECT_EQ(fileNames(dir_.string()), Files{"Radiantix cached settings 2"});

    // A folder that cannot be created: silent.
    std::string blocked = dir_.string() + "/file";
    std::ofstream(blocked) << "x";
    setenv("RADIANTIX_CACHE_DIR", (blocked + "/sub").c_str(), 1);
    writeCacheFile(session);
    SunParameters before = params;
    readCacheFile(session);
    EXPECT_EQ(std::memcmp(&params, &before, sizeof params), 0);

    // No record: nothing to write.
    setenv("RADIANTIX_CACHE_DIR", dir_.string().c_str(), 1);
    std::filesystem::remove_all(path);
    record.parameters = nullptr;
    writeCacheFile(session);
    EXPECT_EQ(fileNames(dir_.string()), Files{"file"});
}

}  // namespace
}  // namespace rx
