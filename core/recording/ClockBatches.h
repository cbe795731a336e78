// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace portprov {

// The recorder's reads cut into batches, the clock read once a batch, before
// its first read, and the longest gap between two reads of one register that
// the batches allow.
//
// At the fastest a batch is sized from the measured cost of a read so that it
// lasts about a microsecond (one read on a real port, some hundred on the
// simulated PC, whose reads cost a tenth of a clock reading), or longer where
// a batch's own start (its clock reading and bookkeeping) costs more than a
// sixty-fourth of that (spanAtLeast), never more than kLargestBatch reads,
// and grows or shrinks at most twofold from one batch to the next so that
// one stall (the thread losing the processor) does not throw it far off. Otherwise (a fixed rate, a test's clock) every batch is one read.
//
// The gap is an upper bound: a read inside a batch is counted as late as the
// clock reading that ends its batch, and the register's read before it as
// early as the reading that began that one's batch.
//
// The recorder's loop asks due() before each read, begin() when it is, and
// take() for the read itself: these three are inline, as they are in its
// tightest loop.
class ClockBatches {
public:
    using nanoseconds = std::chrono::nanoseconds;
    static constexpr nanoseconds kBatchSpan = std::chrono::microseconds(1);
    static constexpr std::uint64_t kLargestBatch = 512;

    // `registers` are read in turn; `adapt`: size the batches from the cost
    // of a read, else one read a batch.
    ClockBatches(std::size_t registers, bool adapt);

    // The next read begins a batch: the clock is to be read first.
    bool due() const { return untilClock_ == 0; }
    // Whether batches are sized from the cost of a read.
    bool adapts() const { return adapt_; }
    // Batches last at least `span`, not only kBatchSpan.
    void spanAtLeast(nanoseconds span) { span_ = std::max(span_, span); }

    // Begins a batch whose first read is register c's, at the clock reading
    // `start`, and ends the one before it there.
    void begin(std::size_t c, nanoseconds start);
    // Counts a read of the batch; true when it is the batch's first, whose
    // start the clock reading gives exactly.
    bool take() { return untilClock_-- == batch_; }
    // Whole rounds of `registers` reads left in the batch, when the next read
    // does not begin it (reads the loop may make without a look at the clock).
    std::uint64_t wholeRoundsLeft() const {
        return untilClock_ < batch_ ? untilClock_ / registers_ : 0;
    }
    // Counts `rounds` whole rounds read without a look at the clock.
    void skipRounds(std::uint64_t rounds) { untilClock_ -= rounds * registers_; }

    // The latest clock reading: the earliest any later read can have begun.
    nanoseconds latest() const { return latest_; }
    // A clock reading taken between batches (just after a changed read).
    void setLatest(nanoseconds at) { latest_ = at; }
    // The clock reading that began the current batch.
    nanoseconds batchStart() const { return batchStart_; }
    // True once after each begin(): the clock has moved on since the last ask.
    bool clockedSinceAsked() {
        const bool was = clocked_;
        clocked_ = false;
        return was;
    }
    // Reads of the current batch made so far.
    std::uint64_t readsInBatch() const { return batch_ - untilClock_; }
    // Ends the current batch at the clock reading `end`.
    void end(nanoseconds end) { close(end); }
    // Forgets all but the registers' gaps: after reads that only warm up the
    // loop's code, so that the next read begins a batch again.
    void restart() {
        batch_ = untilClock_ = 0;
        clocked_ = false;
    }

    nanoseconds longestGap() const { return longestGap_; }
    // Gaps longer than `limit` are counted from now on (beside a signal, its
    // shortest step: a change may have come and gone inside such a gap).
    void countGapsOver(nanoseconds limit) { limit_ = limit; }
    std::uint64_t gapsOver() const { return over_; }

    // While waiting for a trigger's edge the start of the stretch kept is not
    // known yet: from now on the gaps are remembered with their ends, as far
    // as a later countGapsFrom needs them.
    void rememberGaps() { remembering_ = true; }
    // The stretch kept begins at `from`: the longest gap is the longest of
    // those that end there or later (a gap before the stretch is no gap in
    // it), and gaps are no longer remembered.
    void countGapsFrom(nanoseconds from);

private:
    std::uint64_t close(nanoseconds end);
    void noteGap(nanoseconds end, nanoseconds gap) {
        longestGap_ = std::max(longestGap_, gap);
        if (limit_ > nanoseconds{} && gap > limit_)
            noteLongGap(end);
        if (remembering_)
            remember(end, gap);
    }
    void noteLongGap(nanoseconds end);
    void remember(nanoseconds end, nanoseconds gap);

    static constexpr nanoseconds kNever = nanoseconds::min();

    std::size_t registers_;
    bool adapt_;
    nanoseconds span_ = kBatchSpan;
    std::uint64_t batch_ = 0;      // reads in the current batch
    std::uint64_t untilClock_ = 0; // reads left in it
    nanoseconds latest_{};
    nanoseconds batchStart_{};
    std::size_t batchChannel_ = 0; // the register of its first read
    bool clocked_ = false;
    nanoseconds longestGap_{};
    // Per register, the start of the batch of its latest read: the earliest
    // that read can have begun. kNever before its first read.
    std::vector<nanoseconds> readSince_;
    bool remembering_ = false;
    // The gaps that no later gap is as long as, oldest (longest) first, each
    // with its end: the longest gap ending at or after any time is the first
    // of them that ends then or later.
    std::deque<std::pair<nanoseconds, nanoseconds>> recent_;
    nanoseconds limit_{};
    std::uint64_t over_ = 0;
    // While remembering, the ends of the long gaps, the latest ones kept.
    std::deque<nanoseconds> overEnds_;
};

} // namespace portprov
