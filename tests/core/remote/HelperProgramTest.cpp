// SPDX-License-Identifier: MIT
// The helper program itself, started as portprov starts it, on the
// simulated PC (--simulate), so that no test touches a real port.
#include "remote/HelperPorts.h"
#include "generating/Generator.h"
#include "pins/TogglePin.h"
#include "ports/PortIo.h"

#include "AsRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace portprov;

namespace {

// The /proc folder of the helper this process started.
std::filesystem::path HelpersProcess() {
    for (const auto& process : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(process.path() / "stat");
        std::string pid, name, state;
        long parent = 0;
        if (stat >> pid >> name >> state >> parent && parent == ::getpid() && name == "(portprov-io)")
            return process.path();
    }
    return {};
}

std::vector<std::string> HelpersDescriptors() {
    std::vector<std::string> open;
    for (const auto& fd : std::filesystem::directory_iterator(HelpersProcess() / "fd"))
        open.push_back(fd.path().filename());
    std::sort(open.begin(), open.end());
    return open;
}

// A line of the helper's /proc/<pid>/status, e.g. "CapEff:\t0000000000020000".
std::string HelpersStatus(const std::string& field) {
    std::ifstream status(HelpersProcess() / "status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0)
            return line.substr(field.size() + 1);
    }
    return {};
}

// As pkexec starts it: root, with the caller's user in PKEXEC_UID. Where the
// test is not root, root of a user namespace starts it, without PKEXEC_UID
// (no other user exists there): it keeps the raw I/O right alone as root.
TEST(HelperProgram, StartedByPkexecItKeepsTheRawIoRightAloneAsTheCallingUser) {
    const std::string user = ::geteuid() == 0 ? "65534" : "0";
    const auto fault = AsRoot([&user]() -> std::string {
        if (user != "0")
            ::setenv("PKEXEC_UID", user.c_str(), 1);
        try {
            HelperPorts ports({PORTPROV_HELPER, "--simulate"});
            std::string seen;
            for (const char* field : {"Uid", "CapEff", "CapPrm", "NoNewPrivs"})
                seen += std::string(field) + ":" + HelpersStatus(field) + "\n";
            const std::string wanted = "Uid:\t" + user + "\t" + user + "\t" + user + "\t" + user +
                                       "\nCapEff:\t0000000000020000\nCapPrm:\t0000000000020000\n"
                                       "NoNewPrivs:\t1\n";
            if (seen != wanted)
                return seen;
            // Not dumpable: its memory in /proc stays root's, out of the user's debugger.
            struct stat memory {};
            if (::stat((HelpersProcess() / "mem").c_str(), &memory) != 0 || memory.st_uid != 0)
                return "its memory in /proc is not root's";
            return ports.read(889) == 127 ? "" : "889 reads wrong";
        } catch (const std::exception& error) {
            return error.what();
        }
    });
    if (!fault)
        GTEST_SKIP() << "neither root nor a user namespace of its own on this machine";
    EXPECT_EQ(*fault, "");
}

// Signals whose default is to end a process, sent while the helper holds a
// port: it must not go without putting the port back.
TEST(HelperProgram, StrayUserSignalsAndAlarmsDoNotEndItWhileItHoldsAPort) {
    HelperPorts ports({PORTPROV_HELPER, "--simulate"});
    const pid_t helper = std::stoi(HelpersProcess().filename());
    ports.write(888, 5);
    const std::unique_ptr<PortHold> hold = ports.holdForSequence(888);
    ports.write(888, 200);
    for (const int signal : {SIGUSR1, SIGUSR2, SIGALRM}) {
        ASSERT_EQ(::kill(helper, signal), 0);
        EXPECT_NO_THROW(EXPECT_EQ(ports.read(888), 200)) << ::strsignal(signal);
    }
}

TEST(HelperProgram, ServesThroughItsPipeAndEndsWithIt) {
    {
        // A descriptor of the window's that is not close-on-exec: the helper
        // must not keep it.
        const int leaked = ::open("/dev/null", O_RDONLY);
        HelperPorts ports({PORTPROV_HELPER, "--simulate"});
        ::close(leaked);
        EXPECT_EQ(HelpersDescriptors(), (std::vector<std::string>{"0", "1", "2"}));
        EXPECT_EQ(ports.read(889), 127);
        ports.write(888, 170);
        EXPECT_EQ(ports.read(888), 170);
        EXPECT_EQ(ports.probeModes(956).of(PortMode::Ps2), ModeAnswer::No);
    }
    // Gone with the window's end of the pipe: nothing is left to reap.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(HelperProgram, TheProgramsOwnOperationsReachThePortsThroughIt) {
    SelectPortBackend(SharedBackend(
        std::make_shared<HelperPorts>(std::vector<std::string>{PORTPROV_HELPER, "--simulate"})));
    DlPortWritePortUchar(888, 0);
    EXPECT_EQ(TogglePin(3, 888).written, 2);
    RecorderOptions options;
    options.ports = {888, 890};
    options.length = std::uint64_t{20};
    options.startWrite = RecorderOptions::Write{888, 7};
    Recorder recorder(options);
    recorder.start();
    const RecorderResult result = recorder.wait();
    EXPECT_EQ(result.recording.initial, (std::vector<std::uint8_t>{7, 192}));
    EXPECT_EQ(result.stats.samples, 20u);
    EXPECT_EQ(DlPortReadPortUchar(888), 7);
    // A signal runs in the confined helper, real-time priority granted or not.
    GeneratorOptions signal;
    signal.waveform = PulseTrain{{2, 3}, 5, 1000.0};
    Generator generator(signal);
    generator.start();
    EXPECT_EQ(generator.wait().stats.periods, 5u);
    EXPECT_EQ(DlPortReadPortUchar(888), 7);
    SelectPortBackend(nullptr);
}

TEST(HelperProgram, RefusesToRunOutsidePortprov) {
    struct Case {
        std::vector<const char*> argv;
        bool socket;
    };
    // From a terminal or a pipe, or with any argument but --simulate: status 2.
    const Case cases[] = {{{PORTPROV_HELPER}, false},
                          {{PORTPROV_HELPER, "--bogus"}, true},
                          {{PORTPROV_HELPER, "--simulate", "x"}, true}};
    for (const Case& c : cases) {
        int ends[2];
        ASSERT_EQ(c.socket ? ::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) : ::pipe(ends), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(ends[0], 0);
            ::dup2(ends[c.socket ? 0 : 1], 1);
            std::vector<char*> argv;
            for (const char* word : c.argv)
                argv.push_back(const_cast<char*>(word));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(ends[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(ends[1]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << c.argv.size() << " " << status;
    }
}

} // namespace
