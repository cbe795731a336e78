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
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<fs::path> Entries(const fs::path& folder) {
    std::set<fs::path> entries;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        entries.insert(entry.path());
    return entries;
}

// Saves size bytes at path where that must fail with a message containing
// expected, and tells what went wrong otherwise: a save reported as done, a
// file at path that is not what was there before, a file left in the folder.
std::string FaultOfFailedSave(const fs::path& path, std::size_t size, const std::string& expected) {
    std::error_code ignored;
    const bool existed = fs::is_regular_file(path, ignored);
    const std::string before = existed ? Contents(path) : "";
    const std::set<fs::path> entries = Entries(path.parent_path());
    try {
        SaveWholeFile(path, [size](std::ostream& out) { out << std::string(size, 'x'); });
        return "saved";
    } catch (const FileSaveError& e) {
        if (std::string(e.what()).find(expected) == std::string::npos)
            return std::string("message: ") + e.what();
    }
    if (existed && Contents(path) != before)
        return "the old file was changed";
    if (!existed && fs::is_regular_file(path, ignored))
        return "a file was left at the path";
    if (Entries(path.parent_path()) != entries)
        return "a file was left in the folder";
    return "";
}

class WholeFileTest : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(folder_); }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_ = UniqueTestPath("portprov-whole-file-");
};

TEST_F(WholeFileTest, ReplacesAnOldFileWithTheWholeNewOneAndLeavesNothingElse) {
    const fs::path path = folder_ / "inspelning.vcd";
    std::ofstream(path) << "gammal";
    const std::string text(200000, 'y');
    SaveWholeFile(path, [&](std::ostream& out) { out << text; });
    EXPECT_EQ(Contents(path), text);
    EXPECT_EQ(Entries(folder_), std::set<fs::path>{path});
}

TEST_F(WholeFileTest, FailuresLeaveTheFolderAsItWas) {
    fs::create_directory(folder_ / "mapp");
    std::ofstream(folder_ / "gammal.csv") << "gammal";
    EXPECT_EQ(FaultOfFailedSave(folder_ / "mapp", 10, "är en mapp"), "");
    EXPECT_EQ(FaultOfFailedSave(folder_ / "saknas" / "x.csv", 10, "finns inte"), "");

    // An exception from the writer passes through, and the old file stays.
    EXPECT_THROW(SaveWholeFile(folder_ / "gammal.csv",
                               [](std::ostream& out) {
                                   out << std::string(100000, 'x');
                                   throw std::runtime_error("avbrutet");
                               }),
                 std::runtime_error);
    EXPECT_EQ(Contents(folder_ / "gammal.csv"), "gammal");
    EXPECT_EQ(Entries(folder_), (std::set<fs::path>{folder_ / "mapp", folder_ / "gammal.csv"}));
}

#ifdef __linux__
// Runs check in a child process with a small file system of its own mounted
// at folder (16 KiB of tmpfs, with these mount flags); its fault, "" when none.
std::string FaultInSmallFileSystem(const fs::path& folder, unsigned long flags,
                                   const std::function<std::string()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        // A user namespace of its own lets an ordinary user mount; its user
        // and group stay the same, so that it may create files.
        const std::string uid = std::to_string(::getuid()) + " " + std::to_string(::getuid());
        const std::string gid = std::to_string(::getgid()) + " " + std::to_string(::getgid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
            std::ofstream("/proc/self/uid_map") << uid << " 1\n";
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/gid_map") << gid << " 1\n";
        } else if (::unshare(CLONE_NEWNS) != 0) {
            ::_exit(77);
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", flags, "size=16k") != 0)
            ::_exit(77);
        const std::string fault = check();
        if (!fault.empty())
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
