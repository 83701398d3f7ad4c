// Shared set-up of the host tests: a private cache folder, so that record creation sees
// no cache file unless a test writes one, and no memory faults left behind.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

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

}  // namespace rx::testing
