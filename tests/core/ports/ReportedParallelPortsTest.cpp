// SPDX-License-Identifier: MIT
// The parallel ports the computer reports: what the address list and --help
// make of them.
#include "ports/ReportedParallelPorts.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace portprov;

namespace fs = std::filesystem;

namespace {

class ReportedParallelPortsTest : public testing::Test {
protected:
    fs::path root = UniqueTestPath("portprov-reported-");

    void SetUp() override { fs::create_directories(root); }
    void TearDown() override { fs::remove_all(root); }

    void port(const std::string& folder, const std::string& baseAddr) {
        fs::create_directories(root / folder);
        std::ofstream(root / folder / "base-addr") << baseAddr;
    }
};

TEST_F(ReportedParallelPortsTest, APciCardsPortIsAddedAfterTheUsualOnes) {
    port("parport0", "888\t1912\n");
    port("parport1", "53264\t53256\n"); // a PCI Express card at 0xD010
    port("parport2", "632\n");
    const std::vector<ReportedParallelPort> ports = ReportedParallelPorts(root.string());
    ASSERT_EQ(ports, (std::vector<ReportedParallelPort>{
                         {"parport0", 888}, {"parport1", 53264}, {"parport2", 632}}));

    const std::vector<std::uint16_t> others = OtherParallelBases(BasesOf(ports));
    EXPECT_EQ(others, (std::vector<std::uint16_t>{53264}));
    EXPECT_EQ(AddressEntriesFor(others), (std::vector<std::string>{"", "53264", "53265", "53266"}));
    EXPECT_EQ(ReportedPortsDescription(ports), "Parallellportar som datorn rapporterar:\n"
                                               "  parport0: 888 (0x378)\n"
                                               "  parport1: 53264 (0xD010)\n"
                                               "  parport2: 632 (0x278)\n");
}

TEST_F(ReportedParallelPortsTest, NoneReportedAddsNothing) {
    EXPECT_TRUE(ReportedParallelPorts(root.string()).empty());
    EXPECT_TRUE(ReportedParallelPorts((root / "missing").string()).empty());
    EXPECT_EQ(ReportedPortsDescription({}), "Datorn rapporterar inga parallellportar.\n");
    const std::vector<std::uint16_t> twice{0xD010, 0xD010, 956, 0xE000};
    EXPECT_EQ(OtherParallelBases(twice), (std::vector<std::uint16_t>{0xD010, 0xE000}));
    EXPECT_EQ(AddressEntriesFor(OtherParallelBases(twice)).size(), 8u);
}

TEST_F(ReportedParallelPortsTest, TestsCanPointTheSystemsListElsewhere) {
    port("parport3", "49152\n");
    ::setenv("PORTPROV_TEST_PARPORT_ROOT", root.c_str(), 1);
    const std::vector<ReportedParallelPort> ports = ReportedParallelPorts();
    ::unsetenv("PORTPROV_TEST_PARPORT_ROOT");
    EXPECT_EQ(ports, (std::vector<ReportedParallelPort>{{"parport3", 49152}}));
}

} // namespace
