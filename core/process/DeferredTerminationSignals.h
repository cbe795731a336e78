// SPDX-License-Identifier: MIT
#pragma once

#if !defined(_WIN32)
#include <array>
#include <csignal>
#endif

namespace portprov {

// Holds back SIGINT, SIGQUIT, SIGTERM and SIGHUP while a sequence of port
// accesses must run to its end: the program must not end with the port left
// as the sequence set it, and Ctrl+\ (SIGQUIT) is the user's as much as
// Ctrl+C. While a guard lives those signals are only noted; when it goes
// (after the port has been put back) the handlers from before come back and
// each noted signal is raised again, so the program then ends, or does
// whatever it did before, just as it would have. Guards may nest. POSIX
// only; on Windows a guard does nothing.
class DeferredTerminationSignals {
public:
    DeferredTerminationSignals();
    ~DeferredTerminationSignals();
    DeferredTerminationSignals(const DeferredTerminationSignals&) = delete;
    DeferredTerminationSignals& operator=(const DeferredTerminationSignals&) = delete;

    // Whether one of the signals has come while held back, so that a long
    // sequence (a recording) can end early and tidily.
    static bool noted() noexcept;
    // Takes the signals noted so far as answered by what the sequence did
    // with them (a recording that ended and said why): none is raised again.
    static void forgetNoted() noexcept;

private:
#if !defined(_WIN32)
    std::array<struct sigaction, 4> previous_{};
#endif
};

} // namespace portprov
