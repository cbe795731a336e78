// SPDX-License-Identifier: MIT
#include "ports/linux/DevPortFile.h"
#include "TestPaths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using portprov::DevPortFile;
using portprov::PortError;
using testing::HasSubstr;

namespace fs = std::filesystem;

namespace {

// An ordinary 64 KiB file in the place of /dev/port: byte n stands for port n.
class DevPortFileTest : public testing::Test {
protected:
    fs::path path = UniqueTestPath("portprov-devport-");
    std::vector<char> original;

    void SetUp() override {
        original.resize(65536);
        for (std::size_t i = 0; i < original.size(); ++i) {
            original[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
        }
        std::ofstream(path, std::ios::binary)
            .write(original.data(), static_cast<std::streamsize>(original.size()));
    }
    void TearDown() override { fs::remove(path); }

    std::vector<char> contents() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(DevPortFileTest, ReadsTheByteAtTheOffsetOfThePort) {
    DevPortFile ports(path.string());
    for (std::uint16_t port :
         std::initializer_list<std::uint16_t>{0, 1, 513, 888, 889, 890, 956, 0x3FF, 0x400, 65535}) {
        EXPECT_EQ(ports.read(port), static_cast<std::uint8_t>(original[port])) << port;
    }
}

TEST_F(DevPortFileTest, HeldReaderReadsTheByteAtTheOffsetOfThePort) {
    DevPortFile ports(path.string());
    const std::uint16_t held[] = {0, 513, 889, 890, 0x400, 65535};
    const auto read = ports.heldReader(held);
    for (const std::uint16_t port : held)
        EXPECT_EQ(read(port), static_cast<std::uint8_t>(original[port])) << port;
}

TEST_F(DevPortFileTest, WritesOnlyTheByteOfThePort) {
    {
        DevPortFile ports(path.string());
        ports.write(888, 0x55);
        ports.write(65535, 0xAA);
        ports.write(0, 0);
        EXPECT_EQ(ports.read(888), 0x55);
    }
    auto expected = original;
    expected[888] = 0x55;
    expected[65535] = static_cast<char>(0xAA);
    expected[0] = 0;
    const auto after = contents();
    ASSERT_EQ(after.size(), 65536u);
    EXPECT_TRUE(after == expected);
}

TEST_F(DevPortFileTest, FailuresAreReportedNotPassedOffAsBytes) {
    const fs::path missing = path.string() + "-missing";
    EXPECT_EQ(DevPortFile::ProbeAccess(missing.string()), ENOENT);
    try {
        DevPortFile ports(missing.string());
        FAIL() << "opened a missing device";
    } catch (const PortError& error) {
        EXPECT_THAT(error.what(), HasSubstr(missing.string() + " finns inte"));
    }

    // A device shorter than the port range: the missing port is an error, not 0.
    fs::resize_file(path, 900);
    DevPortFile ports(path.string());
    EXPECT_EQ(ports.read(899), static_cast<std::uint8_t>(original[899]));
    try {
        ports.read(900);
        FAIL() << "read past the end gave a byte";
    } catch (const PortError& error) {
        EXPECT_THAT(error.what(), HasSubstr("port 900"));
    }
}

// The descriptor of this process that has path open, -1 when none has.
int DescriptorOf(const fs::path& path) {
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) == path) {
            return std::stoi(entry.path().filename().string());
        }
    }
    return -1;
}

// Whether a program started now finds descriptor fd open.
bool StartedProgramHasDescriptor(int fd) {
    const std::string check = "[ -e /proc/self/fd/" + std::to_string(fd) + " ]";
    const pid_t child = fork();
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", check.c_str(), static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "the check did not run";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The device stays this program's own: a program it starts (the read-me's
// word processor) must not inherit raw access to every port.
TEST_F(DevPortFileTest, ProgramsStartedWhileOpenDoNotInheritTheDevice) {
    DevPortFile ports(path.string());
    const int fd = DescriptorOf(fs::canonical(path));
    ASSERT_GE(fd, 0) << "the device is not open";
    EXPECT_FALSE(StartedProgramHasDescriptor(fd));

    // A copy without the flag is inherited: the check sees what it should.
    const int copy = ::dup(fd);
    EXPECT_TRUE(StartedProgramHasDescriptor(copy));
    ::close(copy);
}

} // namespace
