// SPDX-License-Identifier: MIT
#include "process/RaisedRights.h"

#if defined(__linux__)
#include <cerrno>
#include <cstring>

#include <linux/capability.h>
#include <sys/auxv.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace portprov {

#if defined(__linux__)

namespace {

constexpr const char* kRightsKept =
    "Portprov kunde inte lämna de förhöjda rättigheter som programfilen gav det, och "
    "avslutas.\n"
    "Ge inte programmet portprov själv rättigheter (setcap, setuid); portåtkomsten "
    "hör till hjälpprogrammet /usr/libexec/portprov/portprov-io.\n";

// Nothing of the rest of the program may run with the rights still held, so
// this writes straight to the descriptor and ends without running exit
// handlers.
[[noreturn]] void EndWithRightsKept() {
    const std::size_t length = std::strlen(kRightsKept);
    std::size_t written = 0;
    while (written < length) {
        const ssize_t n = ::write(STDERR_FILENO, kRightsKept + written, length - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    ::_exit(1);
}

// The three capability sets through the system call itself: the program
// needs no capability library for emptying them.
bool CapabilitySets(__user_cap_data_struct (&data)[_LINUX_CAPABILITY_U32S_3], bool set) {
    __user_cap_header_struct header{};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    header.pid = 0;
    return ::syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}

bool ClearCapabilities() {
    // Ambient capabilities would be handed on to every program started from
    // here. Kernels before 4.3 have none and answer EINVAL.
    if (::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0 && errno != EINVAL)
        return false;
    __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3]{};
    return CapabilitySets(none, true);
}

bool NoRightsLeft(uid_t user, gid_t group) {
    uid_t ruid = 0, euid = 0, suid = 0;
    gid_t rgid = 0, egid = 0, sgid = 0;
    if (::getresuid(&ruid, &euid, &suid) != 0 || ::getresgid(&rgid, &egid, &sgid) != 0)
        return false;
    if (ruid != user || euid != user || suid != user || rgid != group || egid != group ||
        sgid != group)
        return false;
    __user_cap_data_struct held[_LINUX_CAPABILITY_U32S_3]{};
    if (!CapabilitySets(held, false))
        return false;
    for (const __user_cap_data_struct& word : held) {
        if (word.effective != 0 || word.permitted != 0 || word.inheritable != 0)
            return false;
    }
    return true;
}

} // namespace

void DropRaisedRights() {
    // The kernel marks a start that raised the process above its caller;
    // root starting the program itself is no such start.
    if (::getauxval(AT_SECURE) == 0)
        return;
    const uid_t user = ::getuid();
    const gid_t group = ::getgid();
    // The group first, while a set-user-ID root program may still change it.
    // The supplementary groups are the caller's own (a start does not change
    // them), so they stay.
    const bool dropped = ::setresgid(group, group, group) == 0 &&
                         ::setresuid(user, user, user) == 0 && ClearCapabilities();
    if (!dropped || !NoRightsLeft(user, group))
        EndWithRightsKept();
}

#else

void DropRaisedRights() {}

#endif

} // namespace portprov
