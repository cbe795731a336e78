// SPDX-License-Identifier: MIT
// Which helper the program starts, and when through pkexec: on a layout
// installed in a folder of the test's own.
#include "remote/HelperLaunch.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <unistd.h>

using namespace portprov;
namespace fs = std::filesystem;

namespace {

class HelperLaunchTest : public testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(prefix);
        fs::create_directories(prefix / "bin");
        fs::create_directories(prefix / "libexec/portprov");
        for (const fs::path& program : {helper, pkexec, prefix / "bin/portprov"})
            MakeProgram(program);
        std::ofstream(prefix / "action.policy") << "<policyconfig/>\n";
    }
    void TearDown() override { fs::remove_all(prefix); }

    static void MakeProgram(const fs::path& path) {
        std::ofstream(path) << "#!/bin/sh\n";
        fs::permissions(path, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    }

    const fs::path prefix = UniqueTestPath("portprov-launch-");
    const fs::path helper = prefix / "libexec/portprov/portprov-io";
    const fs::path pkexec = prefix / "pkexec";
    const PkexecWay way{helper, pkexec, prefix / "action.policy"};
};

TEST_F(HelperLaunchTest, PkexecStartsTheInstalledHelperHoweverItsPathIsWritten) {
    fs::create_directory_symlink(prefix / "libexec", prefix / "linked");
    MakeProgram(prefix / "bin/portprov-io");
    const std::optional<std::vector<std::string>> installed{{pkexec, helper}};
    const struct {
        fs::path found;
        std::optional<std::vector<std::string>> command;
    } cases[] = {
        {helper, installed},
        {prefix / "bin/../libexec/portprov/portprov-io", installed}, // as found beside bin/portprov
        {prefix / "linked/portprov/portprov-io", installed},
        {prefix / "bin/portprov-io", std::nullopt}, // a build tree's: not what the action names
        {prefix / "missing/../libexec/portprov/portprov-io", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PkexecCommand(c.found, way), c.command) << c.found;
    fs::remove(way.action);
    EXPECT_EQ(PkexecCommand(helper, way), std::nullopt) << "without the polkit action";
    fs::remove(pkexec);
    std::ofstream(way.action) << "<policyconfig/>\n";
    EXPECT_EQ(PkexecCommand(helper, way), std::nullopt) << "without pkexec";
}

TEST_F(HelperLaunchTest, AHelperWithoutRightsIsAskedForThroughPkexecAndTheRefusalSaysSo) {
    // The helper may not be started (not executable); pkexec records what it
    // was asked to start and is refused.
    fs::permissions(helper, fs::perms::owner_read | fs::perms::owner_write);
    std::ofstream(pkexec) << "#!/bin/sh\necho \"$@\" >" << prefix / "asked" << "\nexit 126\n";
    std::string refusal;
    try {
        StartHelperPorts((prefix / "bin/../libexec/portprov/portprov-io").string(), way);
    } catch (const PortError& error) {
        EXPECT_EQ(error.kind(), PortErrorKind::NotPermitted);
        refusal = error.what();
    }
    std::string asked;
    std::getline(std::ifstream(prefix / "asked"), asked);
    EXPECT_EQ(asked, helper.string());
    EXPECT_NE(refusal.find("ge administratörens lösenord när pkexec frågar"), std::string::npos)
        << refusal;
    EXPECT_EQ(refusal.find("installera Portprovs Debianpaket"), std::string::npos) << refusal;
}

TEST_F(HelperLaunchTest, TheHelperIsFoundBesideTheProgramAndNeverInTheWorkingFolder) {
    EXPECT_EQ(FindHelperProgram((prefix / "bin/portprov").string()),
              (prefix / "bin/../libexec/portprov/portprov-io").string());
    // A helper in the working folder (anyone's, for all the program knows),
    // and a program whose own path is unknown (no /proc) or relative.
    const fs::path before = fs::current_path();
    fs::current_path(prefix / "libexec/portprov");
    for (const std::optional<std::string>& own :
         {std::optional<std::string>{}, std::optional<std::string>{""},
          std::optional<std::string>{"portprov"}, std::optional<std::string>{"bin/portprov"}})
        EXPECT_EQ(FindHelperProgram(own), std::nullopt) << own.value_or("unknown");
    fs::current_path(before);
}

} // namespace
