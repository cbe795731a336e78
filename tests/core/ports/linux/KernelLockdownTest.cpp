// SPDX-License-Identifier: MIT
#include "ports/linux/KernelLockdown.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using portprov::LockdownForbidsRawPorts;
using portprov::ParseLockdownMode;
using portprov::ReadLockdownMode;

namespace {

TEST(KernelLockdown, TheModeInForceIsTheBracketedOne) {
    EXPECT_EQ(ParseLockdownMode("[none] integrity confidentiality\n"), "none");
    EXPECT_EQ(ParseLockdownMode("none [integrity] confidentiality\n"), "integrity");
    EXPECT_EQ(ParseLockdownMode("none integrity [confidentiality]\n"), "confidentiality");
    EXPECT_EQ(ParseLockdownMode("none integrity confidentiality\n"), std::nullopt);
    EXPECT_EQ(ParseLockdownMode("none [] integrity"), std::nullopt);
    EXPECT_EQ(ParseLockdownMode("none [integrity"), std::nullopt);
    EXPECT_EQ(ParseLockdownMode(""), std::nullopt);
}

TEST(KernelLockdown, EveryModeButNoneForbidsRawPorts) {
    EXPECT_FALSE(LockdownForbidsRawPorts(std::nullopt));
    EXPECT_FALSE(LockdownForbidsRawPorts("none"));
    EXPECT_TRUE(LockdownForbidsRawPorts("integrity"));
    EXPECT_TRUE(LockdownForbidsRawPorts("confidentiality"));
}

TEST(KernelLockdown, ReadsTheFileAndToleratesItsAbsence) {
    const auto path = UniqueTestPath("portprov-lockdown-");
    std::ofstream(path) << "none [integrity] confidentiality\n";
    EXPECT_EQ(ReadLockdownMode(path.string()), "integrity");
    std::filesystem::remove(path);
    EXPECT_EQ(ReadLockdownMode(path.string()), std::nullopt);
}

} // namespace
