// SPDX-License-Identifier: MIT
#include "ports/linux/ParallelPortDiscovery.h"
#include "TestPaths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using portprov::FindParallelPorts;
using portprov::ParallelPortNode;
using testing::ElementsAre;

namespace fs = std::filesystem;

namespace {

// A stand-in for /proc/sys/dev/parport in a temporary folder.
class ParallelPortDiscoveryTest : public testing::Test {
protected:
    fs::path root = UniqueTestPath("portprov-parport-");

    void SetUp() override { fs::create_directories(root); }
    void TearDown() override { fs::remove_all(root); }

    void port(const std::string& folder, const std::string& baseAddr) {
        fs::create_directories(root / folder);
        std::ofstream(root / folder / "base-addr") << baseAddr;
    }
};

TEST_F(ParallelPortDiscoveryTest, ReadsTheFirstNumberOfEachPortsBaseAddress) {
    port("parport0", "888\t1912\n");
    port("parport1", "632\t-1\n");
    port("parport10", "956\n");
    EXPECT_THAT(FindParallelPorts(root.string(), "/dev"),
                ElementsAre(ParallelPortNode{0, 888, "/dev/parport0"},
                            ParallelPortNode{1, 632, "/dev/parport1"},
                            ParallelPortNode{10, 956, "/dev/parport10"}));
}

TEST_F(ParallelPortDiscoveryTest, LeavesOutWhatIsNotAUsablePort) {
    fs::create_directories(root / "default"); // the kernel's defaults, no port
    std::ofstream(root / "default" / "spintime") << "500\n";
    port("parportx", "888\n");
    port("parport3", "");
    port("parport4", "abc\n");
    port("parport5", "65534\n"); // control register would be past 65535
    port("parport6", "70000\n"); // no x86 port
    port("parport7", "888abc\n");
    port("parport8", "65533\t0\n");            // registers 65533 to 65535 still fit
    fs::create_directories(root / "parport9"); // no base-addr
    port("parport11", "0\t0\n");               // a USB adapter: no I/O address
    EXPECT_THAT(FindParallelPorts(root.string(), "/dev"),
                ElementsAre(ParallelPortNode{8, 65533, "/dev/parport8"}));
}

TEST_F(ParallelPortDiscoveryTest, NoTreeMeansNoPorts) {
    EXPECT_TRUE(FindParallelPorts((root / "missing").string()).empty());
}

} // namespace
