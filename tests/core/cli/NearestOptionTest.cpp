// SPDX-License-Identifier: MIT
#include "cli/NearestOption.h"

#include <gtest/gtest.h>

using namespace portprov;

TEST(NearestNames, OnlyANearNameIsOffered) {
    const std::vector<std::string> known{"square", "read", "rate", "record", "play", "plug"};
    const std::vector<std::pair<const char*, std::vector<std::string>>> cases{
        {"sqaure", {"square"}}, {"Square", {"square"}}, {"recrod", {"record"}},
        {"rade", {"rate"}},     {"plag", {"play", "plug"}},
        {"simulera", {}},       {"x", {}},       {"pl", {}}};
    for (const auto& [typed, offered] : cases)
        EXPECT_EQ(NearestNames(typed, known), offered) << typed;
}
