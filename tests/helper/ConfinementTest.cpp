// SPDX-License-Identifier: MIT
// What portprov-io does to itself before it reads a request, in this
// process (the environment) or in a child that is root, really or in a user
// namespace of its own (the rights).
#include "helper/Confinement.h"

#include "AsRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::vector<std::string> Environment() {
    std::vector<std::string> variables;
    for (char** variable = environ; variable != nullptr && *variable != nullptr; ++variable)
        variables.emplace_back(*variable);
    return variables;
}

// The fields of /proc/self/status that say what the process may do.
std::string Rights() {
    std::ifstream status("/proc/self/status");
    std::string rights;
    for (std::string line; std::getline(status, line);) {
        for (const char* field : {"Uid:", "CapInh:", "CapPrm:", "CapEff:", "CapAmb:", "NoNewPrivs:"})
            if (line.rfind(field, 0) == 0)
                rights += line + "\n";
    }
    return rights;
}

TEST(Confinement, TheEnvironmentIsEmptiedAndOnlyAPlainUserNumberIsTaken) {
    const std::vector<std::string> own = Environment();
    struct Case {
        const char* pkexecUid;
        long user; // -1: not taken
    };
    const Case cases[] = {{"1000", 1000}, {"65534", 65534}, {nullptr, -1},  {"0", -1},
                          {"-5", -1},     {"12x", -1},      {"", -1},
                          {"4294967296", -1}};
    for (const Case& c : cases) {
        ::setenv("LD_PRELOAD", "/tmp/evil.so", 1);
        ::setenv("PATH", "/tmp", 1);
        if (c.pkexecUid)
            ::setenv("PKEXEC_UID", c.pkexecUid, 1);
        const long user = portprov::helper::TakeEnvironment();
        EXPECT_EQ(Environment(), std::vector<std::string>{}) << (c.pkexecUid ? c.pkexecUid : "none");
        // A user number is taken only from pkexec, which starts the helper as root.
        if (c.user < 0 || ::getuid() == 0) {
            EXPECT_EQ(user, c.user) << (c.pkexecUid ? c.pkexecUid : "none");
        }
    }
    for (const std::string& variable : own) {
        const std::size_t equals = variable.find('=');
        ::setenv(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str(), 1);
    }
}

// Started as root, the helper keeps CAP_SYS_RAWIO alone and can gain nothing
// more; asked to become a user it cannot become, it says so and must stop.
TEST(Confinement, RootKeepsTheRawIoRightAloneOrFailsToGoOn) {
    const bool realRoot = ::geteuid() == 0;
    const auto result = AsRoot([] {
        if (!portprov::helper::KeepOnlyPortRights(-1))
            return std::string("refused to go on as root");
        const std::string wanted = "Uid:\t0\t0\t0\t0\nCapInh:\t0000000000000000\n"
                                   "CapPrm:\t0000000000020000\nCapEff:\t0000000000020000\n"
                                   "CapAmb:\t0000000000000000\nNoNewPrivs:\t1\n";
        if (Rights() != wanted)
            return "kept as root:\n" + Rights();
        return std::string();
    });
    if (!result)
        GTEST_SKIP() << "no user namespace of its own on this machine";
    EXPECT_EQ(*result, "");
    const auto unknown = AsRoot([realRoot] {
        // In a user namespace there is no user 65534 to become.
        const bool went = portprov::helper::KeepOnlyPortRights(65534);
        return went == realRoot ? std::string() : "went on: " + std::to_string(went);
    });
    EXPECT_EQ(unknown.value_or(""), "");
}

} // namespace
