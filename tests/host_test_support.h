// Shared helpers of the tests: a private cache folder, so that record creation sees no cache
// file unless a test writes one, and no memory faults left behind; records, images, files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/image_io.h"
#include "app/memory_host.h"
#include "host/default_record.h"
#include "platform/memory.h"

namespace rx::testing {

class IsolatedCache : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("radiantix-host-") + info->test_suite_name() + "-" + info->name() +
                "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        ::setenv("RADIANTIX_CACHE_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        platform::failMemoryAfter(-1);
        ::unsetenv("RADIANTIX_CACHE_DIR");
        std::filesystem::remove_all(dir_);
    }
    std::filesystem::path dir_;
};

// A settings record as a new one starts.
inline SunParameters defaults() {
    SunParameters p;
    MakeDefaultRecord(p);
    return p;
}

// A smooth pattern whose planes differ.
inline HostImage patternImage(int32_t w, int32_t h, int32_t planes) {
    HostImage img = HostImage::make(w, h, planes);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            for (int32_t c = 0; c < planes; ++c)
                img.at(x, y)[c] = uint8_t((x * 7 + y * 13 + c * 50) & 0xFF);
    return img;
}

// An 8-bit image file's picture with a pattern of varied values.
inline cli::Image picture(int32_t w, int32_t h, int32_t channels) {
    cli::Image img{w, h, channels, 8, std::vector<uint8_t>(size_t(w) * h * channels), {}, {}};
    for (size_t i = 0; i < img.pixels.size(); ++i) img.pixels[i] = uint8_t((i * 37) ^ (i >> 5));
    return img;
}

// A file's bytes ("" when it cannot be read).
inline std::string fileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// The names in a folder, sorted (none when it cannot be read).
inline std::vector<std::string> fileNames(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace rx::testing
