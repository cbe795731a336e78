// SPDX-License-Identifier: MIT
#include "recording/PreTriggerRing.h"

#include <algorithm>
#include <new>

namespace portprov {

PreTriggerRing::PreTriggerRing(std::variant<nanoseconds, std::uint64_t> before,
                               std::vector<std::uint8_t>& initial, std::size_t mostChanges)
    : byTime_(std::holds_alternative<nanoseconds>(before)), initial_(initial),
      mostChanges_(std::max<std::size_t>(mostChanges, 1)) {
    if (byTime_) {
        beforeTime_ = std::get<nanoseconds>(before);
        timeApart_ = std::max(nanoseconds(1), (beforeTime_ + nanoseconds(kMostStarts - 1)) /
                                                  static_cast<std::int64_t>(kMostStarts));
    } else {
        beforeRounds_ = std::get<std::uint64_t>(before);
        roundsApart_ = std::max<std::uint64_t>(1, (beforeRounds_ + kMostStarts - 1) / kMostStarts);
    }
}

void PreTriggerRing::add(const Recording::Change& change, std::uint64_t round) {
    if (changes_.size() >= mostChanges_) {
        // Full: the oldest change goes into the initial values, and the
        // stretch may no longer start before it: it may start at it, its
        // round and time known exactly.
        const Pending& oldest = changes_.front();
        fold(oldest);
        floor_ = Start{oldest.change.time, oldest.round, oldest.change.time};
        changes_.pop_front();
    }
    changes_.push_back({change, round});
}

bool PreTriggerRing::tooEarly(const Start& start, std::uint64_t round, nanoseconds at) const {
    return byTime_ ? start.time < at - beforeTime_ : start.round + beforeRounds_ < round;
}

void PreTriggerRing::roundDone(std::uint64_t round, nanoseconds position, nanoseconds roundStart) {
    if (round == 0)
        first_ = position;
    while (!changes_.empty() && (byTime_ ? changes_.front().change.time < position - beforeTime_
                                         : changes_.front().round + beforeRounds_ < round)) {
        fold(changes_.front());
        changes_.pop_front();
    }
    const bool keep = byTime_ ? starts_.empty() || position - starts_.back().time >= timeApart_
                              : round % roundsApart_ == 0;
    if (keep)
        starts_.push_back({position, round, roundStart});
    // Those that cannot begin the stretch of an edge in the next round.
    while (!starts_.empty() &&
           (tooEarly(starts_.front(), round + 1, position) || starts_.size() > kMostStarts + 1))
        starts_.pop_front();
}

PreTriggerRing::Start PreTriggerRing::startFor(std::uint64_t round, nanoseconds at, Start latest) {
    if (floor_ && !tooEarly(*floor_, round, at))
        return *floor_;
    while (!starts_.empty() && tooEarly(starts_.front(), round, at))
        starts_.pop_front();
    Start start = starts_.empty() ? latest : starts_.front();
    // By time the stretch starts at its time, its first round just after.
    if (byTime_)
        start.time = std::max(first_, at - beforeTime_);
    return start;
}

void PreTriggerRing::keepFrom(const Start& start, Recording& recording) {
    const auto kept = [&](const Pending& pending) {
        return byTime_ ? pending.change.time >= start.time : pending.round >= start.round;
    };
    try {
        recording.changes.reserve(
            recording.changes.size() +
            static_cast<std::size_t>(std::count_if(changes_.begin(), changes_.end(), kept)));
    } catch (const std::bad_alloc&) {
        // No room to keep them: the stretch shows the latest values only.
        for (const Pending& pending : changes_)
            fold(pending);
        changes_.clear();
        starts_.clear();
        throw;
    }
    for (const Pending& pending : changes_) {
        if (kept(pending))
            recording.changes.push_back(
                {pending.change.time - start.time, pending.change.channel, pending.change.value});
        else
            fold(pending);
    }
    changes_.clear();
    starts_.clear();
}

} // namespace portprov
