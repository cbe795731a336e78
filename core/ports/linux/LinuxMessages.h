// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

// Every text the Linux backends show the user, in one place so they can be
// read and reviewed together. Each message names the cause and what to do.
namespace portprov::linux_messages {

// Descriptions of the access paths, shown in --help and in messages.
inline constexpr const char* kRawAccessDescription = "direkt portåtkomst (ioperm/iopl)";
// "kärnans parallellportsdrivrutin (ppdev): /dev/parport0 på 888-890", the
// ports given as "/dev/parport0 på 888-890, /dev/parport1 på 632-634".
std::string PpdevDescription(const std::string& ports);
// The helper portprov-io at helperPath, before it is started.
std::string HelperNotStartedDescription(const std::string& helperPath);
// The ports reached here (described as `here`), and every other address
// through the helper (described as `helper`).
std::string HereAndHelperDescription(const std::string& here, const std::string& helper);

// The user may not reach the ports: the rights on the helper (setcap, or
// pkexec through the polkit action), root, or the lp group. pkexecAsked:
// the action is installed and pkexec was asked already, but did not start it.
std::string NotPermitted(const std::string& helperPath, bool pkexecAsked = false);
// Put before it when this program could not read its own path
// (/proc/self/exe): then the helper was not started.
std::string OwnPathUnknown();
// Kernel lockdown (mode as read, e.g. "integrity") forbids raw access even to root.
std::string Lockdown(const std::string& mode);
// /dev/port (at path) is not there: the kernel is built without it.
std::string DevPortMissing(const std::string& path);
// Neither raw port instructions nor /dev/port on this machine.
std::string NoDevPort();
// Raw access failed for a reason other than permission (errno text included).
std::string RawAccessFailed(const std::string& ioperm, const std::string& devPort,
                            const std::string& programPath);
// The same when the program has no way to the ports at all: adds the way to
// the parallel ports through ppdev and the lp group.
std::string NoWayToPorts(const std::string& ioperm, const std::string& devPort,
                         const std::string& programPath);
// The processor has no I/O port instructions.
std::string RawAccessUnavailable();
// Opening a /dev/port-like device failed.
std::string DevPortOpenFailed(const std::string& path, int error, const std::string& programPath);
// One read or write through /dev/port failed.
std::string DevPortAccessFailed(const std::string& path, bool writing, std::uint16_t port,
                                const std::string& reason);

// ppdev, the kernel's parallel-port driver.
std::string PpdevNodeDenied(const std::string& node);
std::string PpdevNodeMissing(const std::string& node);
std::string PpdevBusy(const std::string& node, int seconds);
// Another program holds the port for itself alone, so even a shared claim is refused.
std::string PpdevHeldExclusively(const std::string& node);
std::string PpdevFailed(const std::string& node, const std::string& request, int error);

// Another program (this one, started again, say) runs a test on ports first
// to last: refused at once, or after waiting that many seconds.
std::string PortInUseByTest(std::uint16_t first, std::uint16_t last, int waitedSeconds);
// The lock file at path cannot keep other programs off the ports while a test,
// a probe or a recording runs, so none starts: it is a symbolic link, it is
// no ordinary file (fileType: its stat type bits, such as S_IFIFO), this user
// may not read it, or it could not be opened or created (errno).
std::string LockFileIsLink(const std::string& path);
std::string LockFileNotAFile(const std::string& path, unsigned fileType);
std::string LockFileUnreadable(const std::string& path);
std::string LockFileFailed(const std::string& path, int error);
// port is not one of the registers the kernel's ports cover (listed in coverage).
std::string PpdevNotCovered(std::uint16_t port, const std::string& coverage,
                            const std::string& programPath);
// The same while kernel lockdown (mode as read) forbids raw access even to root.
std::string PpdevNotCoveredLocked(std::uint16_t port, const std::string& coverage,
                                  const std::string& mode);

// errno as text (the C library's own wording).
std::string ErrorText(int error);

} // namespace portprov::linux_messages
