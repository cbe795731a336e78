// SPDX-License-Identifier: MIT
#pragma once

#include "loopback/LoopbackTest.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace portprov {

// One wire's failures over the rounds: only the count and the first, so
// that a run of days takes no more memory than a run of one round.
struct WireTally {
    LoopbackWire wire;
    std::uint64_t failedRounds = 0;
    std::uint64_t firstRound = 0;         // from 1; 0 while it never failed
    std::chrono::nanoseconds firstTime{}; // since the tally began
    std::string firstVerdict;             // "fastnat hög", as WireResultText says
};

// The loopback test repeated until an intermittent fault shows: the rounds
// run, how many failed, and each wire's tally. The command line's --repeat
// and the dialog's Upprepa count with it.
class LoopbackTally {
public:
    // clock: monotonic time; the tally's start is read from it now, and it is
    // read again only at a wire's first failure.
    LoopbackTally(LoopbackPlug plug, std::function<std::chrono::nanoseconds()> clock);

    // Counts one round's report (of the plug the tally was made for).
    void add(const LoopbackReport& report);

    std::uint64_t rounds() const { return rounds_; }
    std::uint64_t failedRounds() const { return failedRounds_; }
    bool passed() const { return rounds_ > 0 && failedRounds_ == 0; }
    const std::vector<WireTally>& wires() const { return wires_; }

private:
    std::function<std::chrono::nanoseconds()> clock_;
    std::chrono::nanoseconds start_;
    std::vector<WireTally> wires_;
    std::uint64_t rounds_ = 0;
    std::uint64_t failedRounds_ = 0;
};

// "fel i 3 av 200 omgångar, första i omgång 17 efter 0,012345 s (fastnat hög)",
// only the count while the wire never failed.
std::string WireTallyText(const WireTally& tally, std::uint64_t rounds);
// The same after the wire's pins and signals: "2–15 (D0 → Fel): fel i …".
std::string WireTallyLine(const WireTally& tally, std::uint64_t rounds);
// "200 omgångar, 3 med fel"
std::string RoundsText(const LoopbackTally& tally);
// The verdict of a finished run: passed only when it ran and every wire
// worked in every round. stopped: the user (or a signal) ended it early.
std::string RepeatedVerdictText(const LoopbackTally& tally, bool stopped);

} // namespace portprov
