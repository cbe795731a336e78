// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

// A path in the temporary folder that no other test, nor another run of the
// same test at the same time, uses: the prefix, the process and the test name.
inline std::filesystem::path UniqueTestPath(const std::string& prefix) {
    return std::filesystem::temp_directory_path() /
           (prefix + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
}
