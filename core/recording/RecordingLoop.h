// SPDX-License-Identifier: MIT
#pragma once

#include "recording/ChangeStream.h"
#include "recording/ClockBatches.h"
#include "recording/PreTriggerRing.h"
#include "recording/RatePacer.h"
#include "recording/Recorder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

namespace portprov {

// Nothing to write between the rounds: a recording alone. What a signal
// generator recorded beside its writes has in its place (SignalLoop).
struct NoStimulus {
    static constexpr bool active() { return false; }
    std::chrono::nanoseconds nextDue() const { return {}; }
    void startAt(std::chrono::nanoseconds /*zero*/) {}
    void writeNext() {}
    void writeDue(std::chrono::nanoseconds /*at*/) {}
    std::chrono::nanoseconds rest(std::chrono::nanoseconds at) { return at; }
};

// What the recorder's thread shares with the threads that look at it.
struct RecorderSignals {
    const std::atomic<bool>& stop;
    std::atomic<bool>& waiting;
    std::atomic<double>& progress;
    // Where the kept changes go a batch at a time, while it records; none:
    // all stay in the result.
    ChangeStream* stream = nullptr;
};

// The rounds of one recording, read on the recorder's thread: one round reads
// every register once, in turn. Before the trigger's edge the start of the
// kept stretch is not known: changes wait in the PreTriggerRing, and those
// that fall out of the stretch before the edge are folded into the initial
// values as the rounds go by, so that memory stays bounded however long the
// wait. A template, so that the clock (Now) and the port's read (Read) of a
// real recording are called directly and its tightest loop costs no more
// than its reads.
//
// A Stimulus (a signal's writes) is asked between the rounds to make the
// writes due by then, its time 0 the first round's: the reads that follow a
// write show what it did on the same clock. The clock is then read every
// round, to time the writes.
template <typename Now, typename Read, typename Write, bool kMaySleep,
          typename Stimulus = NoStimulus>
class RecordingLoop {
public:
    using nanoseconds = std::chrono::nanoseconds;
    static constexpr bool kStimulus = !std::is_same_v<Stimulus, NoStimulus>;

    // Beside a stimulus, gaps longer than `gapLimit` are counted.
    RecordingLoop(const RecorderOptions& options, bool batchReads, Now now, Read read, Write write,
                  RecorderSignals signals, Stimulus* stimulus = nullptr,
                  nanoseconds gapLimit = {})
        : options_(options), now_(now), read_(read), write_(write), signals_(signals),
          stimulus_(stimulus), duration_(std::get_if<nanoseconds>(&options.length)),
          count_(options.ports.size()), current_(count_),
          batches_(count_, batchReads && !options.rate && !kStimulus) {
        for (const std::int32_t port : options.ports)
            addresses_.push_back(static_cast<std::uint16_t>(port));
        recording().ports = addresses_;
        recording().initial.assign(count_, 0);
        if (options.rate)
            pacer_.emplace(*options.rate);
        if (options.trigger) {
            ring_.emplace(before(), recording().initial);
            batches_.rememberGaps();
        }
        kept_ = !options.trigger;
        batches_.countGapsOver(gapLimit);
        result_.stats.gapLimit = gapLimit;
    }

    // Records until the length is reached or stop turns true. Out of memory
    // ends the recording, keeping what was recorded (RecordingStats::outOfMemory).
    RecorderResult run() {
        if (batches_.adapts())
            sizeBatches();
        if (options_.startWrite)
            startWrite();
        try {
            // Round 0 is always taken: it gives the initial values.
            for (; k_ == 0 || !signals_.stop.load(std::memory_order_relaxed); ++k_) {
                if (duration_ && kept_ && k_ > 0)
                    readWholeRounds();
                readRound();
                if (endRound()) {
                    ++k_;
                    break;
                }
            }
        } catch (const std::bad_alloc&) {
            // This round is kept with the reads it had; before the first
            // round is whole there is nothing to keep.
            if (k_ == 0)
                throw;
            result_.stats.outOfMemory = true;
            ++k_;
        }
        finish();
        return std::move(result_);
    }

private:
    Recording& recording() { return result_.recording; }

    // The stretch kept from before the edge, in the unit of the length.
    std::variant<nanoseconds, std::uint64_t> before() const {
        const double share = options_.trigger->before;
        if (duration_)
            return nanoseconds(std::llround(static_cast<double>(duration_->count()) * share));
        const std::uint64_t rounds = std::get<std::uint64_t>(options_.length);
        return std::min<std::uint64_t>(rounds - 1, static_cast<std::uint64_t>(std::floor(
                                                       static_cast<double>(rounds) * share)));
    }

    bool isEdge(std::uint8_t from, std::uint8_t to) const {
        const RecorderOptions::Trigger& trigger = *options_.trigger;
        const auto level = [&](std::uint8_t value) {
            return (((value >> trigger.bit) & 1u) != 0) != trigger.inverted;
        };
        return trigger.edge == Edge::Rise ? (!level(from) && level(to))
                                          : (level(from) && !level(to));
    }

    // What the start of a batch costs on this machine, its clock reading and
    // bookkeeping, timed over a few dry batches: in an emulator both can cost
    // as much as a read, and batches of a microsecond would then spend a
    // third of the time on themselves. A batch lasts kBatchesCostShare times
    // as long at least.
    void sizeBatches() {
        constexpr int kDry = 8;
        constexpr int kBatchesCostShare = 64;
        ClockBatches dry(count_, true);
        const nanoseconds from = now_();
        for (int i = 0; i < kDry; ++i) {
            dry.begin(0, now_());
            static_cast<void>(dry.take());
        }
        batches_.spanAtLeast((now_() - from) / kDry * kBatchesCostShare);
    }

    // The write that starts what is to be seen (the game port's timers run
    // from it for 24 µs and up) comes right before the first round, with all
    // the setup above it. The clock and each register are looked at once
    // before it, the readings thrown away, so that whatever a first call costs
    // (the dynamic linker finding a function, a sanitizer's first stack on
    // this thread) falls before the write, not between it and what it starts.
    void startWrite() {
        static_cast<void>(now_());
        for (const std::uint16_t address : addresses_)
            static_cast<void>(read_(address));
        // The batch's code too: its first run after the write stopped the
        // thread for a page fault of its own (4 µs in a virtual machine),
        // past the start of a printer's Ack pulse. Nothing it set stays.
        batches_.begin(0, now_());
        batches_.restart();
        write_(static_cast<std::uint16_t>(options_.startWrite->port), options_.startWrite->value);
    }

    // Inside a batch, once the stretch kept is known and its length is a
    // time, a whole round that does not begin the batch has nothing to do but
    // its reads: its position is the batch's clock reading, and the length is
    // looked at when the next batch begins. Such rounds are read here, in the
    // tightest loop, on locals only; the first round of the next batch by
    // readRound().
    void readWholeRounds() {
        const std::uint64_t whole = batches_.wholeRoundsLeft();
        if (whole == 0)
            return;
        const Read read = read_;
        const std::uint16_t* const address = addresses_.data();
        const std::uint8_t* const last = current_.data();
        const std::size_t count = count_;
        std::size_t c = 0;
        for (std::uint64_t left = whole * count; left > 0; --left) {
            const std::uint8_t value = read(address[c]);
            if (value != last[c])
                change(c, value, false);
            if (++c == count)
                c = 0;
        }
        batches_.skipRounds(whole);
        k_ += whole;
        roundStart_ = lastPosition_ = batches_.latest();
        roundStartTimed_ = false;
    }

    // One round, at its due time at a fixed rate.
    void readRound() {
        if (pacer_) {
            if (k_ == 0)
                pacer_->startAt(now_());
            position_ = pacer_->due(k_);
            if constexpr (kStimulus) {
                while (k_ > 0 && stimulus_->active() && stimulus_->nextDue() < position_ &&
                       !signals_.stop.load(std::memory_order_relaxed))
                    stimulus_->writeNext();
                // The rest owed takes the room before the next write even
                // where rounds fall in it: they come late and are counted,
                // as the kernel's stop would leave them, but far fewer.
                if (k_ > 0)
                    stimulus_->rest(now_());
            }
            RatePacer::waitUntil<kMaySleep>(position_, now_);
        } else if constexpr (kStimulus) {
            if (k_ > 0) {
                const nanoseconds at = now_();
                if (stimulus_->active() && at >= stimulus_->nextDue())
                    stimulus_->writeDue(at);
                else
                    stimulus_->rest(at);
            }
        }
        for (std::size_t c = 0; c < count_; ++c) {
            if (batches_.due())
                batches_.begin(c, now_());
            const bool timed = batches_.take();
            const std::uint8_t value = read_(addresses_[c]);
            if (c == 0) {
                roundStart_ = batches_.latest();
                roundStartTimed_ = timed;
                if (!pacer_)
                    position_ = roundStart_;
            }
            if (k_ == 0)
                current_[c] = value;
            else if (value != current_[c])
                change(c, value, timed);
        }
        lastPosition_ = position_;
    }

    // After a round: true when the length is reached.
    bool endRound() {
        if (k_ == 0) {
            recording().initial = current_;
            start_ = {position_, 0, roundStart_};
            if constexpr (kStimulus)
                stimulus_->startAt(position_);
        } else if (pacer_ && pacer_->late(position_, roundStart_)) {
            ++result_.stats.lateSamples;
        }
        if (!kept_) {
            ring_->roundDone(k_, position_, roundStart_);
            // Beside a signal the edge is waited for as long as the signal
            // goes on and a recording without a trigger would last, from the
            // signal's time 0: after both nothing of the signal's is left to
            // make it come. The recording then ends as one stopped before its
            // edge.
            if constexpr (kStimulus)
                return !stimulus_->active() && covered() >= 1.0;
            return false;
        }
        // A time is looked at only when the clock has moved on.
        if (duration_ && !batches_.clockedSinceAsked())
            return false;
        const double done = covered();
        signals_.progress.store(std::min(done, 1.0), std::memory_order_relaxed);
        return done >= 1.0;
    }

    // The share of the length covered from the start of the kept stretch (or
    // from round 0 while waiting for the edge) up to this round. At a fixed
    // rate each round stands for a period: the length is reached when the
    // next round would be due at its end or later.
    double covered() const {
        if (!duration_)
            return static_cast<double>(k_ - start_.round + 1) /
                   static_cast<double>(std::get<std::uint64_t>(options_.length));
        const nanoseconds time =
            position_ - start_.time + (pacer_ ? pacer_->period() : nanoseconds{});
        return static_cast<double>(time.count()) / static_cast<double>(duration_->count());
    }

    // Register c, read in round k_, has changed to `value`. A change is timed
    // by the clock reading nearest its read: the one just before (timed), or
    // one taken now, just after.
    void change(std::size_t c, std::uint8_t value, bool timed) {
        const nanoseconds at = timed ? batches_.latest() : now_();
        batches_.setLatest(at);
        const bool edge = !kept_ && c == options_.trigger->channel && isEdge(current_[c], value);
        current_[c] = value;
        const auto channel = static_cast<std::uint32_t>(c);
        if (kept_) {
            recording().changes.push_back({at - start_.time, channel, value});
            if (signals_.stream && recording().changes.size() >= signals_.stream->batch())
                handOver();
            return;
        }
        ring_->add({at, channel, value}, k_);
        if (edge) {
            recording().triggerTime = at;
            keep(ring_->startFor(k_, at, {position_, k_, roundStart_}));
        }
    }

    // Nobody takes the changes as fast as they come: kept any longer they
    // would grow without bound. The recording ends here, as when memory runs out.
    void handOver() {
        if (!signals_.stream->handOver(recording().changes))
            throw std::bad_alloc();
    }

    void keep(const PreTriggerRing::Start& from) {
        start_ = from;
        kept_ = true;
        batches_.countGapsFrom(from.time);
        signals_.waiting.store(false, std::memory_order_relaxed);
        ring_->keepFrom(from, recording());
    }

    // The statistics count the kept stretch only, from its first round.
    void finish() {
        RecordingStats& stats = result_.stats;
        // The last read's time: the clock reading just before it when it
        // began a batch, else one taken now, just after it, which also closes
        // its batch.
        nanoseconds end = batches_.batchStart();
        if (batches_.readsInBatch() > 1) {
            end = now_();
            batches_.end(end);
        }
        // Stopped while waiting for the edge: keep the stretch up to the last
        // round. triggerTime stays empty: the edge never came.
        if (!kept_) {
            try {
                keep(ring_->startFor(k_, lastPosition_, {lastPosition_, k_ - 1, roundStart_}));
            } catch (const std::bad_alloc&) {
                stats.outOfMemory = true;
            }
        }
        Recording& recording = result_.recording;
        if (recording.triggerTime)
            recording.triggerTime = *recording.triggerTime - start_.time;
        recording.length = (pacer_ ? lastPosition_ + pacer_->period() : end) - start_.time;
        stats.samples = k_ - start_.round;
        stats.longestGap = batches_.longestGap();
        stats.longGaps = batches_.gapsOver();
        const nanoseconds lastRoundStart = roundStartTimed_ ? roundStart_ : end;
        if (stats.samples > 1 && lastRoundStart > start_.roundStart)
            stats.meanRate =
                static_cast<double>(stats.samples - 1) /
                std::chrono::duration<double>(lastRoundStart - start_.roundStart).count();
    }

    const RecorderOptions& options_;
    Now now_;
    Read read_;
    Write write_;
    RecorderSignals signals_;
    Stimulus* stimulus_;
    const nanoseconds* duration_; // the length, when it is a time
    std::size_t count_;
    std::vector<std::uint16_t> addresses_;
    std::vector<std::uint8_t> current_; // each register's latest value
    ClockBatches batches_;
    std::optional<RatePacer> pacer_;
    std::optional<PreTriggerRing> ring_;
    RecorderResult result_;

    bool kept_ = true;              // the start of the kept stretch is known
    PreTriggerRing::Start start_{}; // its time 0 and first round
    std::uint64_t k_ = 0;           // the round
    nanoseconds position_{};        // the round's: its due time at a fixed rate, else its start
    nanoseconds roundStart_{};      // the clock reading of the round's first read
    bool roundStartTimed_ = true;   // roundStart_ was read just before the round's first read
    nanoseconds lastPosition_{};
};

} // namespace portprov
