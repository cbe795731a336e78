// SPDX-License-Identifier: MIT
#include "cli/NearestOption.h"

#include <gtest/gtest.h>

using namespace portprov;

TEST(NearestNames, OnlyANearNameIsOffered) {
    const std::vector<std::string> known{"square", "simulate", "read", "rate",
                                         "record", "help", "play",     "plug"};
    const struct {
        const char* typed;
        std::vector<std::string> offered;
    } cases[] = {
        {"squre", {"square"}},         // a letter left out
        {"sqaure", {"square"}},        // two swapped
        {"Square", {"square"}},        // case is no slip
        {"recrod", {"record"}},        // swapped, not two changes
        {"rade", {"rate"}},            // the nearest only
        {"raed", {"read"}},
        {"rat", {"rate"}},
        {"plag", {"play", "plug"}},    // equally near: both
        {"simulera", {}},              // three slips
        {"x", {}},                     // one slip but the whole name
        {"hj", {}},                    // half of it
        {"bogus", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NearestNames(c.typed, known), c.offered) << c.typed;
}
