// SPDX-License-Identifier: MIT
#include "process/DeferredTerminationSignals.h"

namespace portprov {

#if !defined(_WIN32)

namespace {

constexpr std::array<int, 4> kDeferred{SIGINT, SIGQUIT, SIGTERM, SIGHUP};

// Which of them arrived while held back. Written by the handler only.
volatile std::sig_atomic_t gNoted[kDeferred.size()] = {};
// How many have arrived, for Interrupting.
volatile std::sig_atomic_t gArrivals = 0;

extern "C" void NoteSignal(int signal) {
    gArrivals = gArrivals + 1;
    for (std::size_t i = 0; i < kDeferred.size(); ++i) {
        if (kDeferred[i] == signal)
            gNoted[i] = 1;
    }
}

// Sets or clears SA_RESTART on the signals whose bits are in which and that
// are being noted; the bits of those it changed.
unsigned SetRestart(unsigned which, bool restart) {
    unsigned changed = 0;
    for (std::size_t i = 0; i < kDeferred.size(); ++i) {
        struct sigaction action {};
        if ((which & (1u << i)) == 0 || sigaction(kDeferred[i], nullptr, &action) != 0 ||
            action.sa_handler != NoteSignal)
            continue;
        action.sa_flags = restart ? action.sa_flags | SA_RESTART : action.sa_flags & ~SA_RESTART;
        if (sigaction(kDeferred[i], &action, nullptr) == 0)
            changed |= 1u << i;
    }
    return changed;
}

} // namespace

DeferredTerminationSignals::DeferredTerminationSignals() {
    struct sigaction noting {};
    noting.sa_handler = NoteSignal;
    sigemptyset(&noting.sa_mask);
    // Port accesses interrupted by a noted signal carry on.
    noting.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kDeferred.size(); ++i) {
        sigaction(kDeferred[i], nullptr, &previous_[i]);
        // A signal the program was started to ignore (nohup, a background
        // job's Ctrl+C) stays ignored: it must not end a recording early.
        if (previous_[i].sa_handler != SIG_IGN)
            sigaction(kDeferred[i], &noting, nullptr);
    }
}

DeferredTerminationSignals::~DeferredTerminationSignals() {
    for (std::size_t i = 0; i < kDeferred.size(); ++i)
        sigaction(kDeferred[i], &previous_[i], nullptr);
    // A signal from now on goes to the handler from before; one noted until
    // now is handed to it here.
    for (std::size_t i = 0; i < kDeferred.size(); ++i) {
        if (gNoted[i] != 0) {
            gNoted[i] = 0;
            std::raise(kDeferred[i]);
        }
    }
}

bool DeferredTerminationSignals::noted() noexcept {
    for (const std::sig_atomic_t signal : gNoted) {
        if (signal != 0)
            return true;
    }
    return false;
}

void DeferredTerminationSignals::forgetNoted() noexcept {
    for (volatile std::sig_atomic_t& signal : gNoted)
        signal = 0;
}

DeferredTerminationSignals::Interrupting::Interrupting()
    : since_(gArrivals), changed_(SetRestart(~0u, false)) {}

DeferredTerminationSignals::Interrupting::~Interrupting() {
    SetRestart(changed_, true);
}

bool DeferredTerminationSignals::Interrupting::arrived() const noexcept {
    return gArrivals != since_;
}

#else

DeferredTerminationSignals::Interrupting::Interrupting() = default;
DeferredTerminationSignals::Interrupting::~Interrupting() = default;

bool DeferredTerminationSignals::Interrupting::arrived() const noexcept {
    return false;
}

bool DeferredTerminationSignals::noted() noexcept {
    return false;
}

void DeferredTerminationSignals::forgetNoted() noexcept {}

DeferredTerminationSignals::DeferredTerminationSignals() = default;
DeferredTerminationSignals::~DeferredTerminationSignals() = default;

#endif

} // namespace portprov
