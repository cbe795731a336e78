// SPDX-License-Identifier: MIT
#pragma once

// What portprov-io does first, before it reads a single request: it is the
// one program of Portprov that may hold port rights, and any user may start
// it with whatever descriptors, environment and signal mask they like.
namespace portprov::helper {

// Closes every descriptor but the pipe (0 and 1) and standard error, which
// points at /dev/null when it was not open.
void CloseInheritedDescriptors();

// Empties the environment; returns the user pkexec started it for
// (PKEXEC_UID, heeded only when the real user is root, as under pkexec), or -1.
long TakeEnvironment();

// Keeps CAP_SYS_RAWIO and nothing else, and goes back to the calling user
// (pkexecUser, or the real user of a setuid start) where the system lets it;
// no new rights can be gained after this. False when a step failed: then
// the helper must not go on. A signal's real-time priority and locked memory
// are not among the rights kept (CAP_SYS_NICE would let the helper reorder
// every process, CAP_IPC_LOCK pin any amount of memory): in the helper they
// come only from the user's own limits (RLIMIT_RTPRIO, RLIMIT_MEMLOCK), which
// are left as they were; where those do not grant them the calls fail, and
// the generator runs at normal priority and says so. No system call is
// filtered.
bool KeepOnlyPortRights(long pkexecUser);

// Ctrl+C and a closed terminal reach the window, which ends the helper by
// closing the pipe: the helper itself waits for that. SIGUSR1, SIGUSR2 and
// SIGALRM are ignored, so that only SIGTERM (held back while a port is held)
// and SIGKILL end it. Blocked signals from the caller are unblocked.
void SetUpSignals();

// Both ends of the pipe are a socket, as portprov starts it.
bool StartedByPortprov();

} // namespace portprov::helper
