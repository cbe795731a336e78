// SPDX-License-Identifier: MIT
// The driver library's loading under Windows (run under Wine in CI): which
// folders are searched, which names are tried, and what the user is told.
// A driver double stands in for the driver's library and logs each access.
#include "ports/windows/RuntimeLibrary.h"
#include "ports/windows/WindowsDlPortIo.h"
#include "ports/windows/WindowsMessages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace portprov;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

// The build writes the doubles' paths the host's way; Wine sees / as Z:.
fs::path Built(const char* path) {
    const std::string text = path;
    return fs::path(text.front() == '/' ? "Z:" + text : text);
}

template <typename Access> std::string MessageOf(Access access) {
    try {
        access();
    } catch (const PortError& error) {
        return error.what();
    }
    return "(no error)";
}

class DriverLoading : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_ = fs::temp_directory_path() / "portprov-driver-loading";
        fs::remove_all(scratch_);
        fs::create_directories(scratch_);
        log_ = scratch_ / "accesses.log";
        ::SetEnvironmentVariableW(L"PORTPROV_DRIVER_DOUBLE_LOG", log_.wstring().c_str());
        ::GetCurrentDirectoryW(MAX_PATH, startFolder_);
    }

    void TearDown() override {
        ::SetCurrentDirectoryW(startFolder_);
        for (const fs::path& file : placed_)
            fs::remove(file);
        fs::remove_all(scratch_);
    }

    // Puts a copy of a double into folder under name.
    void place(const char* built, const fs::path& folder, const char* name) {
        const fs::path target = folder / name;
        // Removed first: mingw's copy_file fails on an existing target even when
        // told to overwrite it.
        fs::remove(target);
        fs::copy_file(Built(built), target);
        placed_.push_back(target);
    }

    fs::path programFolder() const { return fs::u8path(ProgramFolder()); }

    std::vector<std::string> accesses() const {
        std::vector<std::string> lines;
        std::ifstream in(log_);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    fs::path scratch_;

private:
    fs::path log_;
    wchar_t startFolder_[MAX_PATH] = {};
    std::vector<fs::path> placed_;
};

TEST_F(DriverLoading, LibraryBesideTheProgramIsLoadedByNameAndServesEveryAccess) {
    place(DOUBLE64, programFolder(), "dlportio.dll");
    {
        auto ports = OpenDlPortIo();
        EXPECT_EQ(ports->describe(), "drivrutinsbiblioteket dlportio.dll");
        EXPECT_EQ(ports->read(889), 127);
        ports->write(888, 85);
        EXPECT_EQ(ports->read(888), 85);
        // The whole port number reaches the library.
        EXPECT_EQ(ports->read(65535), 0xFF);
    }
    EXPECT_EQ(accesses(),
              (std::vector<std::string>{"load dlportio.dll", "read 889 127", "write 888 85",
                                        "read 888 85", "read 65535 255"}));
}

TEST_F(DriverLoading, InpOutLibraryIsUsedWhereDlPortIoIsAbsent) {
    place(DOUBLE64, programFolder(), "inpoutx64.dll");
    auto ports = OpenDlPortIo();
    EXPECT_EQ(ports->describe(), "drivrutinsbiblioteket inpoutx64.dll");
    EXPECT_EQ(ports->read(889), 127);
    EXPECT_EQ(accesses(), (std::vector<std::string>{"load inpoutx64.dll", "read 889 127"}));
}

TEST_F(DriverLoading, LibraryInTheCurrentFolderOrOnPathIsNeverLoaded) {
    const fs::path planted = scratch_ / "planted";
    fs::create_directories(planted);
    place(DOUBLE64, planted, "dlportio.dll");
    place(DOUBLE64, planted, "inpoutx64.dll");
    ASSERT_TRUE(::SetCurrentDirectoryW(planted.wstring().c_str()));
    std::wstring path(32767, L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), 32767));
    ::SetEnvironmentVariableW(L"PATH", (planted.wstring() + L";" + path).c_str());

    const std::string message = MessageOf([] { OpenDlPortIo(); });
    ::SetEnvironmentVariableW(L"PATH", path.c_str());

    EXPECT_EQ(message, windows_messages::DriverLibraryMissing({"dlportio.dll", "inpoutx64.dll"},
                                                              ProgramFolder(), SystemFolder()));
    EXPECT_THAT(message, HasSubstr("dlportio.dll och inpoutx64.dll"));
    EXPECT_THAT(message, HasSubstr("i programmets mapp (" + ProgramFolder() + ")"));
    EXPECT_TRUE(accesses().empty());
}

TEST_F(DriverLoading, LibraryOfTheOtherBitnessIsToldAndAFittingOneStillUsed) {
    place(DOUBLE32, programFolder(), "dlportio.dll");
    const std::string message = MessageOf([] { OpenDlPortIo(); });
    EXPECT_THAT(message, HasSubstr("dlportio.dll passar inte det här 64-bitarsprogrammet"));
    EXPECT_THAT(message, HasSubstr("Windows fel 193"));
    EXPECT_THAT(message, HasSubstr("inpoutx64.dll"));
    EXPECT_TRUE(accesses().empty());

    place(DOUBLE64, programFolder(), "inpoutx64.dll");
    EXPECT_EQ(OpenDlPortIo()->read(889), 127);
}

TEST_F(DriverLoading, MissingEntryPointIsNamed) {
    place(DOUBLE64_WITHOUT_WRITE, programFolder(), "dlportio.dll");
    EXPECT_EQ(MessageOf([] { OpenDlPortIo(); }),
              windows_messages::DriverLibraryEntryMissing("dlportio.dll", "DlPortWritePortUchar"));
}

TEST_F(DriverLoading, InpOutLibraryWithoutItsDriverIsRefusedUntilTheDriverIsInstalled) {
    // Without its driver every read would give 0: refused before any access.
    place(DOUBLE64_INPOUT_NO_DRIVER, programFolder(), "inpoutx64.dll");
    try {
        OpenDlPortIo();
        ADD_FAILURE() << "a library without its driver was taken for the ports";
    } catch (const PortError& error) {
        EXPECT_EQ(error.kind(), PortErrorKind::Missing);
        EXPECT_EQ(error.what(), windows_messages::DriverLibraryDriverNotInstalled("inpoutx64.dll"));
        EXPECT_THAT(error.what(), HasSubstr("\"Kör som administratör\""));
    }

    // The driver installed meanwhile: the library is loaded afresh and used.
    place(DOUBLE64_INPOUT, programFolder(), "inpoutx64.dll");
    EXPECT_EQ(OpenDlPortIo()->read(889), 127);
    EXPECT_EQ(accesses(), (std::vector<std::string>{"load inpoutx64.dll", "IsInpOutDriverOpen 0",
                                                    "load inpoutx64.dll", "IsInpOutDriverOpen 1",
                                                    "read 889 127"}));
}

} // namespace
