// SPDX-License-Identifier: MIT
#include "recording/WholeFile.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>

#ifdef __linux__
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace portprov;
namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// The folder's files, each with its contents.
std::set<std::string> Folder(const fs::path& folder) {
    std::set<std::string> entries;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing))
        entries.insert(entry.path().filename().string() + "=" + Contents(entry.path()));
    return entries;
}

// Saves size bytes at path where that must fail with a message containing
// expected; what went wrong otherwise: a save reported as done, another
// message, or a folder not as it was (a half file, the temporary file left).
std::string FaultOfFailedSave(const fs::path& path, std::size_t size, const std::string& expected) {
    const std::set<std::string> before = Folder(path.parent_path());
    try {
        SaveWholeFile(path, [size](std::ostream& out) { out << std::string(size, 'x'); });
        return "saved";
    } catch (const FileSaveError& e) {
        if (std::string(e.what()).find(expected) == std::string::npos)
            return std::string("message: ") + e.what();
    }
    return Folder(path.parent_path()) == before ? "" : "the folder changed";
}

class WholeFileTest : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(folder_); }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_ = UniqueTestPath("portprov-whole-file-");
};

TEST_F(WholeFileTest, ReplacesAnOldFileOnlyWithTheWholeNewOne) {
    const fs::path path = folder_ / "inspelning.vcd";
    std::ofstream(path) << "gammal";
    EXPECT_THROW(SaveWholeFile(path,
                               [](std::ostream& out) {
                                   out << std::string(100000, 'x');
                                   throw std::runtime_error("avbrutet");
                               }),
                 std::runtime_error);
    EXPECT_EQ(Folder(folder_), std::set<std::string>{"inspelning.vcd=gammal"});
    SaveWholeFile(path, [&](std::ostream& out) { out << std::string(200000, 'y'); });
    EXPECT_EQ(Folder(folder_), std::set<std::string>{"inspelning.vcd=" + std::string(200000, 'y')});

    fs::create_directory(folder_ / "mapp");
    EXPECT_EQ(FaultOfFailedSave(folder_ / "mapp", 10, "är en mapp"), "");
    EXPECT_EQ(FaultOfFailedSave(folder_ / "saknas" / "x.csv", 10, "finns inte"), "");
}

#ifdef __linux__
// Runs check in a child process with 16 KiB of tmpfs of its own mounted at
// folder with these flags; its fault, "" for none, "skip" where no file
// system can be mounted.
std::string FaultInSmallFileSystem(const fs::path& folder, unsigned long flags,
                                   const std::function<std::string()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        // A user namespace lets an ordinary user mount; the same user and
        // group in it may create files.
        const std::string uid = std::to_string(::getuid()), gid = std::to_string(::getgid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
            std::ofstream("/proc/self/uid_map") << uid << " " << uid << " 1\n";
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/gid_map") << gid << " " << gid << " 1\n";
        } else if (::unshare(CLONE_NEWNS) != 0) {
            ::_exit(77);
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", flags, "size=16k") != 0)
            ::_exit(77);
        const std::string fault = check();
        std::fprintf(stderr, "%s\n", fault.c_str());
        ::_exit(fault.empty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        return "skip";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "fault in the child";
}

TEST_F(WholeFileTest, AFullDiskOrAReadOnlyFolderIsReportedAndLeavesTheOldFile) {
    const fs::path path = folder_ / "inspelning.vcd";
    const std::string full = FaultInSmallFileSystem(folder_, 0, [&] {
        std::ofstream(path) << "gammal";
        return FaultOfFailedSave(path, 100000, "disken är full");
    });
    if (full == "skip")
        GTEST_SKIP() << "no tmpfs can be mounted here";
    EXPECT_EQ(full, "");
    EXPECT_EQ(
        FaultInSmallFileSystem(folder_, MS_RDONLY,
                               [&] { return FaultOfFailedSave(path, 10, "får inte skrivas i"); }),
        "");
}
#endif

} // namespace
