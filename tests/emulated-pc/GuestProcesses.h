// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace portprov::hardwaretest {

inline constexpr uid_t kUnprivilegedUser = 1000;
// The group that may open the parallel port nodes (/dev/parport*, /dev/lp*).
inline constexpr gid_t kLpGroup = 7;

// Becomes user 1000 with group 1000 and no supplementary groups (not in lp):
// a desktop user to whom nobody gave port rights. Root's capabilities go
// with the change of user. False when a step failed.
bool BecomeUserWithoutRights();

// A field of /proc/<pid>/status ("CapEff", "Uid", ...), its value trimmed;
// nothing when the process or the field is not there.
std::optional<std::string> StatusField(pid_t pid, const std::string& field);

// The capability set a status field holds (hexadecimal), or nothing.
std::optional<std::uint64_t> CapabilitySet(pid_t pid, const std::string& field);

// The processes whose name is `name`, zombies left out; with parent set,
// only its children.
std::vector<pid_t> ProcessesNamed(const std::string& name, std::optional<pid_t> parent = {});

// Waits until pid, a child of this process, has ended, at most `limit`;
// its wait status, or nothing when it was still there.
std::optional<int> AwaitChild(pid_t pid, std::chrono::milliseconds limit);

// One byte over a pipe, to step two processes in turn.
bool AwaitWord(int fd);
void SendWord(int fd);

} // namespace portprov::hardwaretest
