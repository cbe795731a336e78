// SPDX-License-Identifier: MIT
#pragma once

namespace portprov::hardwaretest {

// Where the stand-in /usr/bin/pkexec (StandInPkexec.cpp) writes the
// arguments it was started with, one a line.
inline constexpr const char* kPkexecRecord = "/run/pkexec-arguments";

// portprov pkexec, as root: with the installed helper holding no right of
// its own, the polkit action in place and the stand-in pkexec, checks that
// user 1000's program (this one, installed as /usr/bin/portprov) reads 888
// and 513 through pkexec and exactly the installed helper, which runs as that
// user with its /proc files root's; then that the helper made setuid root,
// started by that user with PKEXEC_UID naming another, stays that user.
int RunPkexec();

} // namespace portprov::hardwaretest
