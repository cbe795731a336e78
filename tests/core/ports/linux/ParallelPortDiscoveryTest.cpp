// SPDX-License-Identifier: MIT
#include "ports/linux/ParallelPortDiscovery.h"
#include "TestPaths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

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

// A base-addr that is no short regular file is left out at once: a folder
// (once an abort), a FIFO (once a hang), a device (once a growing read).
TEST_F(ParallelPortDiscoveryTest, LeavesOutWhatCannotBeReadAtOnceAndInFull) {
    fs::create_directories(root / "parport0" / "base-addr");
    fs::create_directories(root / "parport1");
    ASSERT_EQ(::mkfifo((root / "parport1" / "base-addr").c_str(), 0600), 0);
    fs::create_directories(root / "parport2");
    fs::create_symlink("/dev/zero", root / "parport2" / "base-addr");
    port("parport3", "53264" + std::string(100, ' ') + "\n"); // longer than the kernel's line
    port("parport4", "888\t1912\n");
    EXPECT_THAT(FindParallelPorts(root.string(), "/dev"),
                ElementsAre(ParallelPortNode{4, 888, "/dev/parport4"}));
}

// A usual base is that port. Any other is left out below 256 (the
// motherboard's own devices) and where its registers would share an address
// with a usual port, the game port (512-519) or a port listed before it.
TEST_F(ParallelPortDiscoveryTest, LeavesOutBasesThatClash) {
    const std::vector<std::pair<std::string, bool>> table{
        {"888", true},  {"890", false}, {"633", false}, {"513", false},  {"510", false},
        {"255", false}, {"256", true},  {"258", false}, {"632", true},   {"520", true},
        {"509", true},  {"886", false}, {"959", true},  {"53264", true}, {"53264", false}};
    std::vector<ParallelPortNode> kept;
    for (std::size_t i = 0; i < table.size(); ++i) {
        port("parport" + std::to_string(i), table[i].first + "\t-1\n");
        const int base = std::stoi(table[i].first);
        if (table[i].second)
            kept.push_back({int(i), std::uint16_t(base), "/dev/parport" + std::to_string(i)});
    }
    port("parport00", "956\n"); // named alike parport0: not the kernel's name
    EXPECT_EQ(FindParallelPorts(root.string(), "/dev"), kept);
}

TEST_F(ParallelPortDiscoveryTest, NoTreeMeansNoPorts) {
    EXPECT_TRUE(FindParallelPorts((root / "missing").string()).empty());
}

} // namespace
