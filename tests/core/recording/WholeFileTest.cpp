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

// check's fault ("" for none) as an ordinary user: in a child that has given
// root up for nobody's ids when we are root.
constexpr uid_t kNobody = 65534;
std::string AsOrdinaryUser(const std::function<std::string()>& check) {
    if (::geteuid() != 0)
        return check();
    if (const pid_t child = ::fork(); child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(2);
        const std::string fault = check();
        std::fprintf(stderr, "%s", fault.c_str());
        ::_exit(fault.empty() ? 0 : 1);
    } else {
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "fault in the child";
    }
}

TEST_F(WholeFileTest, CheckCanSaveNamesTheCause) {
    const bool root = ::geteuid() == 0;
    const fs::path locked = folder_ / "låst", shared = folder_ / "delad";
    fs::create_directories(folder_ / "mapp");
    fs::create_directories(locked);
    ASSERT_EQ(::mkfifo((locked / "fifo").c_str(), 0666), 0);
    fs::permissions(locked / "fifo", fs::perms(0666));
    fs::permissions(locked, fs::perms(0555));
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms(01777));
    std::ofstream(shared / "annans.csv") << "x";
    if (root) {
        ASSERT_EQ(::chown((shared / "annans.csv").c_str(), kNobody - 1, kNobody - 1), 0);
    }
    fs::create_symlink("saknas/x.csv", folder_ / "länk");
    const std::string missing = "mappen " + (folder_ / "saknas").string() + " finns inte";
    const struct {
        fs::path path;
        std::string refusal; // "" where it can be saved
    } cases[]{
        {"", "Kan inte spara: ange ett filnamn."},
        {folder_ / "mapp", "det är en mapp"},
        {folder_ / "saknas" / "x.csv", missing},
        {folder_ / "länk", missing}, // the folder of the link's file
        {locked / "x.csv", "får inte skrivas i"},
        {locked / "fifo", ""}, // written where it is
        {"-", ""},
        {shared / "ny.csv", ""},
        {shared / "annans.csv", root ? "filen tillhör en annan användare" : ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AsOrdinaryUser([&]() -> std::string {
                      try {
                          CheckCanSave(c.path);
                          return c.refusal.empty() ? "" : "no refusal";
                      } catch (const FileSaveError& e) {
                          const std::string what = e.what();
                          const bool named =
                              !c.refusal.empty() && what.find(c.refusal) != std::string::npos;
                          return named ? "" : what;
                      }
                  }),
                  "")
            << c.path;
    }
    fs::permissions(locked, fs::perms(0755));
}

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode;
}

// A file is replaced whole, keeping its mode and owner, and never readable by
// others meanwhile; a link is written through and stays a link; a device or
// pipe is written to where it is, never replaced by a file.
TEST_F(WholeFileTest, ReplacesOnlyAFileAndKeepsWhatItWas) {
    const bool root = ::geteuid() == 0;
    const fs::path file = folder_ / "privat.csv", link = folder_ / "länk.csv",
                   target = folder_ / "mål" / "fil.csv", fifo = folder_ / "fifo",
                   device = folder_ / "null";
    fs::create_directories(target.parent_path());
    for (const auto& [path, mode] : {std::pair{file, 0640}, std::pair{target, 0604}}) {
        std::ofstream(path) << "gammal";
        fs::permissions(path, fs::perms(mode));
    }
    fs::create_symlink("mål/fil.csv", link);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    if (root) {
        ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0600, ::makedev(1, 3)), 0);
    }
    const struct {
        fs::path path, written; // saved at path, found in written
        mode_t mode;            // of written, after
    } cases[]{
        {file, file, S_IFREG | 0640},
        {link, target, S_IFREG | 0604},
        {fifo, fifo, S_IFIFO | 0600},
        {device, device, S_IFCHR | 0600},
    };
    for (const auto& c : cases) {
        if (c.path == device && !root)
            continue;
        bool readableMeanwhile = false;
        SaveWholeFile(c.path, [&](std::ostream& out) {
            for (const fs::path& f : {folder_, target.parent_path()})
                for (const auto& entry : fs::directory_iterator(f))
                    readableMeanwhile |=
                        (ModeOf(entry.path()) & 0007) == 0004 && entry.path() != target;
            out << "ny";
        });
        EXPECT_EQ(ModeOf(c.written), c.mode) << c.path;
        EXPECT_EQ(ModeOf(c.path) & S_IFMT, c.path == link ? S_IFLNK : c.mode & S_IFMT);
        EXPECT_FALSE(readableMeanwhile) << c.path;
        std::string got(8, '\0');
        if (c.path == fifo)
            got.resize(static_cast<std::size_t>(std::max(0L, ::read(reader, got.data(), 8))));
        else if (c.path != device)
            got = Contents(c.written);
        EXPECT_EQ(got, c.path == device ? got : "ny") << c.path;
    }
    struct stat owner {};
    ::stat(file.c_str(), &owner);
    EXPECT_EQ(owner.st_uid, root ? kNobody : ::geteuid());
    EXPECT_EQ(fs::read_symlink(link), "mål/fil.csv");
    EXPECT_EQ(Folder(target.parent_path()), std::set<std::string>{"fil.csv=ny"});
    ::close(reader);
}

// "-" is standard output, not a file named "-"; a link to standard output (as
// /dev/stdout is) writes to it, even where the link names no file.
TEST_F(WholeFileTest, DashAndLinksToStandardOutputWriteToIt) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    if (const pid_t child = ::fork(); child == 0) {
        if (::chdir(folder_.c_str()) != 0 || ::dup2(pipe[1], 1) != 1)
            ::_exit(2);
        SaveWholeFile("-", [](std::ostream& out) { out << "ett "; });
        SaveWholeFile("/proc/self/fd/1", [](std::ostream& out) { out << "två"; });
        ::_exit(0);
    } else {
        ::close(pipe[1]);
        std::array<char, 64> text{};
        for (std::size_t got = 0; ::read(pipe[0], text.data() + got, 1) == 1; ++got) {
        }
        ::close(pipe[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(std::string(text.data()), "ett två");
        EXPECT_EQ(Folder(folder_), std::set<std::string>{});
    }
}
#endif

} // namespace
