// SPDX-License-Identifier: MIT
// Giving up raised rights leaves alone the rights a process was given by its
// caller rather than by the program file (root's own, sudo). A process in a
// user namespace of its own holds every capability there without any file
// raising it, so the case needs no privilege to try. The raised case itself
// is tried on the real program by tests/e2e/check_raised_rights.py.
#include "process/RaisedRights.h"

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sched.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace portprov {
namespace {

bool HoldsCapabilities() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    return data[0].effective != 0 && data[0].permitted != 0;
}

// In a child: 0 when the capabilities outlived DropRaisedRights, 1 when
// they were taken, 77 when no user namespace could be made here.
int ChildKeepsCapabilities() {
    if (::unshare(CLONE_NEWUSER) != 0 || !HoldsCapabilities())
        return 77;
    DropRaisedRights();
    return HoldsCapabilities() ? 0 : 1;
}

TEST(RaisedRights, RightsNotRaisedByTheProgramFileAreKept) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(ChildKeepsCapabilities());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no user namespace of its own on this machine";
    // 1 from the program's own refusal to go on, too: it ends with status 1
    // when it could not give up what it found.
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the capabilities the caller gave were taken";
}

} // namespace
} // namespace portprov
