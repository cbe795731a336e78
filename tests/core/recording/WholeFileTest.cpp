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
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// A fault, "" for none, from check run as an ordinary user: when we are root,
// in a child that has given root up for nobody's ids.
constexpr uid_t kNobody = 65534;
std::string AsOrdinaryUser(const std::function<std::string()>& check) {
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(2);
        const std::string fault = check();
        if (!fault.empty())
            std::fprintf(stderr, "%s\n", fault.c_str());
        ::_exit(fault.empty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "fault in the child";
}

// Before anything is recorded: a file that cannot be saved is refused with
// its real cause, one that can is not.
TEST_F(WholeFileTest, CheckCanSaveNamesTheCause) {
    const bool root = ::geteuid() == 0;
    fs::create_directories(folder_ / "mapp");
    fs::create_directories(folder_ / "låst");
    ASSERT_EQ(::mkfifo((folder_ / "låst" / "fifo").c_str(), 0666), 0);
    fs::permissions(folder_ / "låst" / "fifo", fs::perms(0666));
    fs::permissions(folder_ / "låst", fs::perms(0555));
    fs::create_directories(folder_ / "delad");
    fs::permissions(folder_ / "delad", fs::perms(01777));
    std::ofstream(folder_ / "delad" / "annans.csv") << "x";
    std::ofstream(folder_ / "delad" / "egen.csv") << "x";
    if (root) {
        ASSERT_EQ(::chown((folder_ / "delad" / "annans.csv").c_str(), kNobody - 1, kNobody - 1), 0);
        ASSERT_EQ(::chown((folder_ / "delad" / "egen.csv").c_str(), kNobody, kNobody), 0);
    }
    fs::create_symlink("saknas/x.csv", folder_ / "länk");
    const struct {
        fs::path path;
        std::string refusal; // "" where it can be saved
        bool root;           // the case needs root to set up
    } cases[]{
        {"", "Kan inte spara: ange ett filnamn.", false},
        {folder_ / "mapp", "det är en mapp", false},
        {folder_ / "saknas" / "x.csv", "mappen " + (folder_ / "saknas").string() + " finns inte",
         false},
        {folder_ / "länk", "mappen " + (folder_ / "saknas").string() + " finns inte", false},
        {folder_ / "låst" / "x.csv", "får inte skrivas i", false},
        {folder_ / "låst" / "fifo", "", false},
        {"-", "", false},
        {folder_ / "delad" / "ny.csv", "", false},
        {folder_ / "delad" / "annans.csv", "filen tillhör en annan användare", true},
        {folder_ / "delad" / "egen.csv", "", true},
    };
    for (const auto& c : cases) {
        if (c.root && !root)
            continue;
        EXPECT_EQ(AsOrdinaryUser([&]() -> std::string {
                      try {
                          CheckCanSave(c.path);
                          return c.refusal.empty() ? "" : "no refusal";
                      } catch (const FileSaveError& e) {
                          const std::string what = e.what();
                          return !c.refusal.empty() && what.find(c.refusal) != std::string::npos
                                     ? ""
                                     : what;
                      }
                  }),
                  "")
            << c.path;
    }
    fs::permissions(folder_ / "låst", fs::perms(0755));
}

struct stat StatOf(const fs::path& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

// A file is replaced whole, keeping its mode and owner, and never readable by
// others meanwhile; a link is written through and stays a link; a device or
// pipe is written to where it is, never replaced by a file.
TEST_F(WholeFileTest, ReplacesOnlyAFileAndKeepsWhatItWas) {
    const bool root = ::geteuid() == 0;
    const fs::path file = folder_ / "privat.csv", owned = folder_ / "annans.csv",
                   link = folder_ / "länk.csv", target = folder_ / "mål" / "fil.csv",
                   fifo = folder_ / "fifo", device = folder_ / "null";
    std::ofstream(file) << "gammal";
    fs::permissions(file, fs::perms(0600));
    std::ofstream(owned) << "gammal";
    fs::permissions(owned, fs::perms(0640));
    fs::create_directories(target.parent_path());
    std::ofstream(target) << "gammal";
    fs::permissions(target, fs::perms(0604));
    fs::create_symlink("mål/fil.csv", link);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    if (root) {
        ASSERT_EQ(::chown(owned.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
        fs::permissions(device, fs::perms(0666));
    }
    const struct {
        fs::path path, written; // saved at path, found in written
        mode_t mode;            // the type and permissions of written after
        uid_t owner;
        bool root;
    } cases[]{
        {file, file, S_IFREG | 0600, ::geteuid(), false},
        {owned, owned, S_IFREG | 0640, kNobody, true},
        {link, target, S_IFREG | 0604, ::geteuid(), false},
        {fifo, fifo, S_IFIFO | 0600, ::geteuid(), false},
        {device, device, S_IFCHR | 0666, 0, true},
    };
    for (const auto& c : cases) {
        if (c.root && !root)
            continue;
        std::set<mode_t> whileWriting; // the modes of files in the folders meanwhile
        SaveWholeFile(c.path, [&](std::ostream& out) {
            for (const fs::path& f : {folder_, target.parent_path()})
                for (const auto& entry : fs::directory_iterator(f))
                    whileWriting.insert(StatOf(entry.path()).st_mode & (S_IFMT | 0077));
            out << "ny";
        });
        const struct stat after = StatOf(c.written);
        EXPECT_EQ(after.st_mode, c.mode) << c.path;
        EXPECT_EQ(after.st_uid, c.owner) << c.path;
        EXPECT_EQ(StatOf(c.path).st_mode & S_IFMT, c.path == link ? S_IFLNK : c.mode & S_IFMT);
        EXPECT_EQ(whileWriting.count(S_IFREG | 0044), 0u) << c.path << ": readable meanwhile";
        if (c.path == fifo) {
            std::array<char, 8> read{};
            EXPECT_EQ(::read(reader, read.data(), read.size()), 2);
            EXPECT_EQ(std::string(read.data()), "ny");
        } else if (c.path != device) {
            EXPECT_EQ(Contents(c.written), "ny") << c.path;
        }
    }
    ::close(reader);
    EXPECT_EQ(fs::read_symlink(link), "mål/fil.csv");
    EXPECT_EQ(Folder(target.parent_path()), std::set<std::string>{"fil.csv=ny"});
}

// "-" is standard output, not a file named "-"; the temporary file's name is
// new each time, not the last one's with a number counted up.
TEST_F(WholeFileTest, DashIsStandardOutputAndTemporaryNamesCannotBeGuessed) {
    // In a child, so that the test's own standard output is left alone.
    const pid_t saver = ::fork();
    if (saver == 0) {
        const int out = ::open((folder_ / "ut").c_str(), O_WRONLY | O_CREAT, 0600);
        if (::chdir(folder_.c_str()) != 0 || ::dup2(out, 1) != 1)
            ::_exit(2);
        SaveWholeFile("-", [](std::ostream& o) { o << "till standard ut"; });
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(saver, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Folder(folder_), std::set<std::string>{"ut=till standard ut"});

    std::vector<std::string> names;
    for (int save = 0; save < 2; ++save)
        SaveWholeFile(folder_ / "x.csv", [&](std::ostream&) {
            for (const auto& entry : fs::directory_iterator(folder_))
                if (entry.path().extension() == ".tmp")
                    names.push_back(entry.path().filename().string());
        });
    ASSERT_EQ(names.size(), 2u);
    ASSERT_EQ(names[0].size(), names[1].size());
    int differing = 0;
    for (std::size_t i = 0; i < names[0].size(); ++i)
        differing += names[0][i] != names[1][i];
    EXPECT_GE(differing, 6) << names[0] << " " << names[1];
}
#endif

} // namespace
