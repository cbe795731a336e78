// SPDX-License-Identifier: MIT
#include "recording/ClockBatches.h"

#include <algorithm>

namespace portprov {

ClockBatches::ClockBatches(std::size_t registers, bool adapt)
    : registers_(registers), adapt_(adapt), readSince_(registers, kNever) {}

// Every read after the batch's first began by `end`, and the same register's
// read before it no earlier than the start of that read's batch: their
// difference bounds the gap from above. Reads go round the registers in turn,
// so the batch's second to registers-th reads each end a register's first gap
// in it (the read after that, the same register's second, counts from
// batchStart); later reads end shorter gaps.
std::uint64_t ClockBatches::close(nanoseconds end) {
    const std::uint64_t done = batch_ - untilClock_;
    const std::size_t count = registers_;
    std::size_t c = batchChannel_;
    for (std::uint64_t i = 1; i < done && i <= count; ++i) {
        if (++c == count)
            c = 0;
        const nanoseconds from = i == count ? batchStart_ : readSince_[c];
        if (from != kNever)
            noteGap(end, end - from);
    }
    c = batchChannel_;
    for (std::uint64_t i = 0; i < done && i < count; ++i) {
        readSince_[c] = batchStart_;
        if (++c == count)
            c = 0;
    }
    return done;
}

// The batch's first read starts at the clock reading, so its gap is as exact
// as the clock.
void ClockBatches::begin(std::size_t c, nanoseconds start) {
    const std::uint64_t done = close(start);
    if (adapt_ && done == batch_ && batch_ > 0) {
        const auto span =
            static_cast<std::uint64_t>(std::max(start - batchStart_, nanoseconds(1)).count());
        const std::uint64_t fit = batch_ * static_cast<std::uint64_t>(span_.count()) / span;
        batch_ = std::clamp(fit, std::max<std::uint64_t>(1, batch_ / 2),
                            std::min(kLargestBatch, batch_ * 2));
    }
    batch_ = std::max<std::uint64_t>(batch_, 1);
    if (readSince_[c] != kNever)
        noteGap(start, start - readSince_[c]);
    latest_ = batchStart_ = start;
    batchChannel_ = c;
    untilClock_ = batch_;
    clocked_ = true;
}

void ClockBatches::remember(nanoseconds end, nanoseconds gap) {
    while (!recent_.empty() && recent_.back().second <= gap)
        recent_.pop_back();
    recent_.emplace_back(end, gap);
    // Bounded however the gaps run: the two oldest become one, with the
    // longer gap and the later end, which can only lengthen what is counted.
    constexpr std::size_t kMostRemembered = 4096;
    if (recent_.size() > kMostRemembered) {
        recent_[1].second = recent_[0].second;
        recent_.pop_front();
    }
}

void ClockBatches::noteLongGap(nanoseconds end) {
    ++over_;
    if (!remembering_)
        return;
    // Bounded: the oldest are the least likely to fall in the stretch kept.
    constexpr std::size_t kMostRemembered = 65536;
    overEnds_.push_back(end);
    if (overEnds_.size() > kMostRemembered)
        overEnds_.pop_front();
}

void ClockBatches::countGapsFrom(nanoseconds from) {
    over_ = static_cast<std::uint64_t>(
        std::count_if(overEnds_.begin(), overEnds_.end(), [from](nanoseconds end) { return end >= from; }));
    overEnds_.clear();
    longestGap_ = {};
    for (const auto& [end, gap] : recent_) {
        if (end >= from) {
            longestGap_ = gap;
            break;
        }
    }
    recent_.clear();
    remembering_ = false;
}

} // namespace portprov
