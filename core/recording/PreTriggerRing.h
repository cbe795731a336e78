// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <variant>
#include <vector>

namespace portprov {

// What a recorder waiting for its trigger's edge keeps of the stretch before
// it: the changes that may still lie in it, and where rounds began, so that
// when the edge comes (or the recording stops before it) the kept stretch can
// start a tenth of the recording (its `before` share) back.
//
// Its memory is bounded whatever the wait: at most mostChanges changes (when
// more come, the oldest is folded into the initial values and the stretch
// starts at it, no earlier), and at most kMostStarts + 1 round starts. Rounds
// are not all remembered: by rounds a start is kept every before/kMostStarts
// rounds, by time one every before/kMostStarts of time, so the stretch kept
// starts at most that much later than asked (a thousandth of it), on a round
// that was really read, whose number and time the statistics count from.
class PreTriggerRing {
public:
    using nanoseconds = std::chrono::nanoseconds;
    static constexpr std::size_t kMostChanges = std::size_t{1} << 18; // 6 MiB
    static constexpr std::size_t kMostStarts = 1024;

    // Where the kept stretch starts: its time 0 and its first round.
    struct Start {
        nanoseconds time;
        std::uint64_t round;
        nanoseconds roundStart; // the clock reading of the round's first read
    };

    // `before`: the stretch kept before the edge, a time or a number of
    // rounds. Changes that fall out of it fold into `initial`.
    PreTriggerRing(std::variant<nanoseconds, std::uint64_t> before,
                   std::vector<std::uint8_t>& initial, std::size_t mostChanges = kMostChanges);

    // A change read in `round`, its time not yet counted from any time 0.
    void add(const Recording::Change& change, std::uint64_t round);
    // Round `round`, at `position` (its due time at a fixed rate, else its
    // start), is over: forgets what can no longer lie in the stretch.
    void roundDone(std::uint64_t round, nanoseconds position, nanoseconds roundStart);
    // The stretch's start when the edge comes at `at` in round `round`, or
    // when the recording stops with `round` the next round and `at` the last
    // round's position; `latest` is where it starts if nothing earlier is
    // kept (the edge's or the last round).
    Start startFor(std::uint64_t round, nanoseconds at, Start latest);
    // Hands the changes from `start` on to `recording`, timed from it, and
    // folds the earlier ones into the initial values.
    void keepFrom(const Start& start, Recording& recording);

    std::size_t heldChanges() const { return changes_.size(); }
    std::size_t heldStarts() const { return starts_.size(); }

private:
    struct Pending {
        Recording::Change change;
        std::uint64_t round;
    };
    void fold(const Pending& pending) { initial_[pending.change.channel] = pending.change.value; }
    // True when a start lies before `round` / `at` can begin the stretch.
    bool tooEarly(const Start& start, std::uint64_t round, nanoseconds at) const;

    bool byTime_;
    nanoseconds beforeTime_{};
    std::uint64_t beforeRounds_ = 0;
    std::uint64_t roundsApart_ = 1; // by rounds: between two kept starts
    nanoseconds timeApart_{1};      // by time: between two kept starts
    std::vector<std::uint8_t>& initial_;
    std::size_t mostChanges_;
    std::deque<Pending> changes_;
    std::deque<Start> starts_;
    nanoseconds first_{};     // round 0's position
    // The latest change folded because the ring was full: the stretch starts
    // no earlier.
    std::optional<Start> floor_;
};

} // namespace portprov
