// SPDX-License-Identifier: MIT
#include "helper/Confinement.h"

#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace portprov::helper {

namespace {

bool SetCapabilities(std::uint32_t keep) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    data[0].effective = keep;
    data[0].permitted = keep;
    return ::syscall(SYS_capset, &header, data) == 0;
}

bool EffectiveCapabilitiesAre(std::uint32_t expected) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    return data[0].effective == expected && data[1].effective == 0 && data[1].permitted == 0 &&
           (data[0].permitted & ~expected) == 0 && data[0].inheritable == 0 &&
           data[1].inheritable == 0;
}

} // namespace

void CloseInheritedDescriptors() {
    if (::fcntl(2, F_GETFD) < 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0 && null != 2) {
            ::dup2(null, 2);
            ::close(null);
        }
    }
    // close_range where the kernel has it; otherwise each open one.
    if (::syscall(SYS_close_range, 3U, ~0U, 0U) == 0)
        return;
    std::vector<int> open;
    if (DIR* folder = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(folder)) {
            const int fd = std::atoi(entry->d_name);
            if (fd > 2 && fd != ::dirfd(folder))
                open.push_back(fd);
        }
        ::closedir(folder);
    }
    for (const int fd : open)
        ::close(fd);
}

long TakeEnvironment() {
    long user = -1;
    // pkexec starts the helper with root as its real user too. In a setuid
    // start the real user is the caller, who wrote this environment: a
    // PKEXEC_UID from there would let them hand the port right, and a helper
    // they may no longer signal, to any other user.
    const char* text = ::getuid() == 0 ? std::getenv("PKEXEC_UID") : nullptr;
    if (text != nullptr) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(text, &end, 10);
        if (errno == 0 && end != text && *end == '\0' && value > 0 && value < 0x7FFFFFFF)
            user = value;
    }
    ::clearenv();
    return user;
}

bool KeepOnlyPortRights(long pkexecUser) {
    constexpr std::uint32_t kRawIo = 1U << CAP_SYS_RAWIO;
    uid_t ruid, euid, suid;
    gid_t rgid, egid, sgid;
    if (::getresuid(&ruid, &euid, &suid) != 0 || ::getresgid(&rgid, &egid, &sgid) != 0)
        return false;
    uid_t user = pkexecUser > 0 ? static_cast<uid_t>(pkexecUser) : ruid;
    gid_t group = pkexecUser > 0 ? 65534 : rgid;
    if (pkexecUser > 0) {
        if (const passwd* entry = ::getpwuid(user))
            group = entry->pw_gid;
    }
    if (::prctl(PR_SET_KEEPCAPS, 1L, 0L, 0L, 0L) != 0)
        return false;
    // From root to the calling user: the capability survives the change of
    // user (keep-caps), everything else root could do does not.
    if (euid == 0 && user != 0 && ::setgroups(0, nullptr) != 0)
        return false;
    if (::setresgid(group, group, group) != 0 || ::setresuid(user, user, user) != 0)
        return false;
    if (!SetCapabilities(kRawIo) && !SetCapabilities(0))
        return false;
    ::prctl(PR_SET_KEEPCAPS, 0L, 0L, 0L, 0L);
    ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0L, 0L, 0L);
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1L, 0L, 0L, 0L) != 0)
        return false;
    // The user may not look into the helper with a debugger.
    ::prctl(PR_SET_DUMPABLE, 0L, 0L, 0L, 0L);
    uid_t now[3];
    ::getresuid(&now[0], &now[1], &now[2]);
    return now[0] == user && now[1] == user && now[2] == user &&
           (EffectiveCapabilitiesAre(kRawIo) || EffectiveCapabilitiesAre(0));
}

void SetUpSignals() {
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // SIGUSR1, SIGUSR2 and SIGALRM end a process by default: the caller may
    // send them while a port is held or a signal runs, and the helper would
    // go without putting the port back. Nothing in it waits for them.
    for (const int signal : {SIGINT, SIGHUP, SIGPIPE, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM})
        std::signal(signal, SIG_IGN);
    std::signal(SIGTERM, SIG_DFL);
}

bool StartedByPortprov() {
    struct stat in {};
    struct stat out {};
    return ::fstat(0, &in) == 0 && ::fstat(1, &out) == 0 && S_ISSOCK(in.st_mode) &&
           S_ISSOCK(out.st_mode);
}

} // namespace portprov::helper
