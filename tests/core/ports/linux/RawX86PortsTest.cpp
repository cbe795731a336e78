// SPDX-License-Identifier: MIT
#include "ports/linux/RawX86Ports.h"
#include "hardware/HardwarePorts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#include <sys/wait.h>
#endif

using portprov::RawX86Ports;

namespace {

#if defined(__x86_64__) || defined(__i386__)

// The POST diagnostic port: reading it changes nothing on any PC.
constexpr std::uint16_t kHarmlessPort = 0x80;

// Whether a child forked now can read the port (it dies of the fault if not).
bool ChildCanReadPort() {
    const pid_t child = fork();
    if (child == 0) {
        static_cast<void>(inb(kHarmlessPort));
        std::_Exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// The kernel hands a thread's port permissions to the programs it starts,
// whoever runs them; a program started from the window (the read-me's word
// processor) must not get them.
TEST(RawX86Ports, ReleasedPortsAreNotHandedOnToChildProcesses) {
    if (RawX86Ports::ProbeAccess() != 0) {
        GTEST_SKIP() << "raw port access is not permitted here (needs root or CAP_SYS_RAWIO)";
    }
    RawX86Ports ports;
    ports.read(kHarmlessPort);
    ASSERT_TRUE(ChildCanReadPort()) << "the kernel no longer hands permissions to children";

    portprov::ReleaseThreadPortAccess();
    EXPECT_FALSE(ChildCanReadPort());

    // The next access asks again.
    ports.read(kHarmlessPort);
    EXPECT_TRUE(ChildCanReadPort());
    portprov::ReleaseThreadPortAccess();
}

#endif

} // namespace
