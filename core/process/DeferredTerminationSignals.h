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

    class Interrupting;

private:
#if !defined(_WIN32)
    std::array<struct sigaction, 4> previous_{};
#endif
};

// While it lives, the signals a guard holds back also cut short a call that
// waits (it fails with EINTR instead of carrying on), so that a wait with no
// end in sight (a save into a pipe no one reads) can be stopped once the port
// has been put back. They are still noted as before. A signal that is not
// being held back (ignored, or no guard living) is left as it is.
class DeferredTerminationSignals::Interrupting {
public:
    Interrupting();
    ~Interrupting();
    Interrupting(const Interrupting&) = delete;
    Interrupting& operator=(const Interrupting&) = delete;
    // Whether one of the signals has come since it began.
    bool arrived() const noexcept;

private:
    long since_ = 0;
    unsigned changed_ = 0; // a bit for each signal made to cut calls short
};

} // namespace portprov
