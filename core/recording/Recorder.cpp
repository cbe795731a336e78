// SPDX-License-Identifier: MIT
#include "recording/Recorder.h"

#include "ports/PortIo.h"
#include "remote/RemoteSequences.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <stdexcept>
#include <utility>

namespace portprov {

namespace {

using std::chrono::nanoseconds;
using namespace std::chrono_literals;

// At a fixed rate the thread sleeps while the next round is further off than
// this, and wakes this much early: the kernel's sleeps overshoot by tens of
// microseconds, and the last stretch is waited out on the clock.
constexpr nanoseconds kSleepAbove = 200us;
constexpr nanoseconds kWakeEarly = 100us;

// At the fastest the clock is read once a batch of reads instead of beside
// every read: a simulated read costs a tenth of a clock reading, a real port's
// read a microsecond. The batch is sized from the measured cost of a read so
// that it lasts about kBatchSpan, never more than kLargestBatch reads, and
// grows or shrinks at most twofold from one batch to the next so that one
// stall (the thread losing the processor) does not throw it far off.
constexpr nanoseconds kBatchSpan = 1us;
constexpr std::uint64_t kLargestBatch = 512;

PortError Refused(const char* text) {
    return PortError(PortErrorKind::RefusedInput, text);
}

void CheckOptions(const RecorderOptions& options) {
    if (options.ports.empty())
        throw Refused("Ange minst en adress att spela in.");
    if (options.rate &&
        !(*options.rate >= kSlowestRecordingRate && *options.rate <= kFastestRecordingRate))
        throw Refused("Hastigheten måste vara 1000 - 1000000 Hz.");
    const auto* duration = std::get_if<nanoseconds>(&options.length);
    if (duration ? *duration <= 0ns : std::get<std::uint64_t>(options.length) == 0)
        throw Refused("Inspelningens längd måste vara större än noll.");
    if (const auto& trigger = options.trigger) {
        if (trigger->channel >= options.ports.size())
            throw Refused("Triggerns kanal finns inte bland adresserna.");
        if (trigger->bit < 0 || trigger->bit > 7)
            throw Refused("Triggerns bit måste vara 0 - 7.");
        if (!(trigger->before >= 0.0 && trigger->before < 1.0))
            throw Refused("Andelen före triggern måste vara minst 0 och under 1.");
    }
}

bool LineLevel(std::uint8_t value, const RecorderOptions::Trigger& trigger) {
    return (((value >> trigger.bit) & 1u) != 0) != trigger.inverted;
}

bool IsEdge(std::uint8_t from, std::uint8_t to, const RecorderOptions::Trigger& trigger) {
    const bool was = LineLevel(from, trigger);
    const bool is = LineLevel(to, trigger);
    return trigger.edge == Edge::Rise ? (!was && is) : (was && !is);
}

// Round k's due time after the first, at a fixed rate: counted from the
// first round each time, so that no error adds up over the rounds.
nanoseconds DueAfter(std::uint64_t k, double rate) {
    return nanoseconds(std::llround(static_cast<double>(k) * 1e9 / rate));
}

// The clock of a real recording, called directly so that the read loop costs
// no more than the clock itself.
struct SteadyNow {
    nanoseconds operator()() const {
        return std::chrono::duration_cast<nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

} // namespace

Recorder::Recorder(RecorderOptions options, Clock clock, bool batchReads)
    : options_(std::move(options)), clock_(std::move(clock)), batchReads_(batchReads || !clock_) {
    CheckOptions(options_);
}

Recorder::~Recorder() {
    stop();
    if (thread_.joinable())
        thread_.join();
}

void Recorder::start() {
    if (sequence_ || thread_.joinable() || finished_.load())
        throw std::logic_error("Recorder::start: a recorder records once");
    std::vector<std::int32_t> addresses = options_.ports;
    if (options_.startWrite)
        addresses.push_back(options_.startWrite->port);
    sequence_ = std::make_unique<DirectPortSequence>(addresses);
    waiting_.store(options_.trigger.has_value());
    elsewhere_ = clock_ ? nullptr
                        : sequence_->backend().sequencesElsewhere(
                              static_cast<std::uint16_t>(options_.ports.front()));
    try {
        thread_ = std::thread([this] {
            try {
                if (elsewhere_)
                    result_ = elsewhere_->record(options_, stopRequested_, progress_);
                else if (clock_)
                    record<Clock&, false>(clock_);
                else
                    record<SteadyNow, true>(SteadyNow{});
            } catch (...) {
                failure_ = std::current_exception();
            }
            // The window may reach the ports again at once, before wait().
            sequence_.reset();
            finished_.store(true);
        });
    } catch (...) {
        sequence_.reset();
        throw;
    }
}

void Recorder::stop() noexcept {
    stopRequested_.store(true);
}

double Recorder::progress() const noexcept {
    return progress_.load(std::memory_order_relaxed);
}

bool Recorder::waitingForEdge() const noexcept {
    return waiting_.load(std::memory_order_relaxed);
}

bool Recorder::finished() const noexcept {
    return finished_.load();
}

RecorderResult Recorder::wait() {
    if (!thread_.joinable() && !finished_.load())
        throw std::logic_error("Recorder::wait: the recorder was never started");
    if (thread_.joinable())
        thread_.join();
    if (failure_)
        std::rethrow_exception(failure_);
    return result_;
}

// One round reads every register once. Before the trigger's edge the start of
// the kept stretch is not known: changes wait in `pending`, and those that
// fall out of the stretch before the edge are folded into the initial values
// as the rounds go by, so that memory grows with the changes kept only.
template <typename Now, bool kMaySleep> void Recorder::record(Now now) {
    PortBackend& ports = sequence_->backend();
    // Reads without the per-access checks that the sequence's hold settles.
    const HeldReader read = sequence_->reader();
    const std::size_t count = options_.ports.size();
    std::vector<std::uint16_t> addresses;
    for (const std::int32_t port : options_.ports)
        addresses.push_back(static_cast<std::uint16_t>(port));

    const auto* duration = std::get_if<nanoseconds>(&options_.length);
    const std::uint64_t rounds = duration ? 0 : std::get<std::uint64_t>(options_.length);
    const std::optional<RecorderOptions::Trigger>& trigger = options_.trigger;
    const double before = trigger ? trigger->before : 0.0;
    // The stretch kept from before the edge, in the unit of the length.
    const nanoseconds beforeTime =
        duration ? nanoseconds(std::llround(static_cast<double>(duration->count()) * before)) : 0ns;
    const std::uint64_t beforeRounds =
        duration ? 0
                 : std::min<std::uint64_t>(rounds - 1, static_cast<std::uint64_t>(std::floor(
                                                           static_cast<double>(rounds) * before)));
    const std::optional<double> rate = options_.rate;
    const nanoseconds period = rate ? DueAfter(1, *rate) : 0ns;

    Recording& recording = result_.recording;
    RecordingStats& stats = result_.stats;
    recording.ports = addresses;
    std::vector<std::uint8_t> current(count);
    std::vector<std::uint8_t>& initial = recording.initial;
    std::vector<nanoseconds> lastRead(count);

    struct Pending {
        Recording::Change change; // time not yet counted from time 0
        std::uint64_t round;
    };
    std::deque<Pending> pending;
    // By rounds with a trigger: the positions of the beforeRounds rounds
    // before the current one, the earliest of them where the kept stretch
    // would start.
    std::deque<nanoseconds> recentPositions;
    bool kept = !trigger; // the start of the kept stretch is known
    nanoseconds time0{};
    std::uint64_t round0 = 0;

    // The stretch kept starts at `start` (by time) or with round `startRound`.
    const auto keepFrom = [&](nanoseconds start, std::uint64_t startRound) {
        time0 = start;
        round0 = startRound;
        for (const Pending& change : pending) {
            if (duration ? change.change.time < start : change.round < startRound)
                initial[change.change.channel] = change.change.value;
            else
                recording.changes.push_back(
                    {change.change.time - time0, change.change.channel, change.change.value});
        }
        pending.clear();
        kept = true;
        waiting_.store(false, std::memory_order_relaxed);
    };

    nanoseconds firstPosition{};
    nanoseconds firstRoundStart{};
    nanoseconds roundStart{};
    bool roundStartTimed = true; // roundStart was read just before the round's first read
    nanoseconds lastPosition{};

    // The clock is read before the first read of a batch only; `t` is the
    // latest reading, the earliest any later read can have started. At a fixed
    // rate, or with a test's clock unless it asks for batches, every batch is
    // one read: the clock beside every read.
    const bool adapt = batchReads_ && !rate;
    std::uint64_t batch = 0;      // reads in the current batch
    std::uint64_t untilClock = 0; // reads left in it
    nanoseconds t{};
    nanoseconds batchStart{};     // the clock reading that began the batch
    std::size_t batchChannel = 0; // the register of its first read
    bool clocked = false;         // the clock was read since the length was last looked at
    // Per register, the start of the batch of its latest read: the earliest
    // that read can have begun. kNever before its first read.
    constexpr nanoseconds kNever = nanoseconds::min();
    std::vector<nanoseconds> readSince(count, kNever);

    // Ends the batch begun at batchStart with the clock reading `end`. Every
    // read after its first began by `end`, and the same register's read before
    // it no earlier than the start of that read's batch: their difference
    // bounds the gap from above. Reads go round the registers in turn, so the
    // batch's second to count-th reads each end a register's first gap in it
    // (the read after that, the same register's second, counts from
    // batchStart); later reads end shorter gaps.
    const auto closeBatch = [&](nanoseconds end) {
        const std::uint64_t done = batch - untilClock;
        std::size_t c = batchChannel;
        for (std::uint64_t i = 1; i < done && i <= count; ++i) {
            if (++c == count)
                c = 0;
            const nanoseconds from = i == count ? batchStart : readSince[c];
            if (from != kNever)
                stats.longestGap = std::max(stats.longestGap, end - from);
        }
        c = batchChannel;
        for (std::uint64_t i = 0; i < done && i < count; ++i) {
            readSince[c] = batchStart;
            if (++c == count)
                c = 0;
        }
        return done;
    };
    // Reads the clock and begins a batch whose first read is register c's:
    // that read starts at the clock reading, so its gap is as exact as the
    // clock.
    const auto beginBatch = [&](std::size_t c) {
        const nanoseconds start = now();
        const std::uint64_t done = closeBatch(start);
        if (adapt && done == batch && batch > 0) {
            const auto span = static_cast<std::uint64_t>(std::max(start - batchStart, 1ns).count());
            const std::uint64_t fit = batch * static_cast<std::uint64_t>(kBatchSpan.count()) / span;
            batch = std::clamp(fit, std::max<std::uint64_t>(1, batch / 2),
                               std::min(kLargestBatch, batch * 2));
        }
        batch = std::max<std::uint64_t>(batch, 1);
        if (readSince[c] != kNever)
            stats.longestGap = std::max(stats.longestGap, start - readSince[c]);
        t = batchStart = start;
        batchChannel = c;
        untilClock = batch;
        clocked = true;
    };

    std::uint64_t k = 0;
    // Register c, read in round k whose position is `position`, has changed to
    // `value`. A change is timed by the clock reading nearest its read: the
    // one just before (timed), or one taken now, just after.
    const auto change = [&](std::size_t c, std::uint8_t value, bool timed, nanoseconds position) {
        const nanoseconds at = timed ? t : now();
        t = at;
        const bool edge = !kept && c == trigger->channel && IsEdge(current[c], value, *trigger);
        current[c] = value;
        const auto channel = static_cast<std::uint32_t>(c);
        if (kept)
            recording.changes.push_back({at - time0, channel, value});
        else
            pending.push_back({{at, channel, value}, k});
        if (edge) {
            recording.triggerTime = at;
            if (duration)
                keepFrom(std::max(firstPosition, at - beforeTime), 0);
            else
                keepFrom(recentPositions.empty() ? position : recentPositions.front(),
                         k - std::min(k, beforeRounds));
        }
    };

    // The write that starts what is to be seen (the game port's timers run
    // from it for 24 µs and up) comes right before the first round, with all
    // the setup above it. The clock and each register are looked at once
    // before it, the readings thrown away, so that whatever a first call costs
    // (the dynamic linker finding a function, a sanitizer's first stack on
    // this thread) falls before the write, not between it and what it starts.
    if (options_.startWrite) {
        static_cast<void>(now());
        for (const std::uint16_t address : addresses)
            static_cast<void>(read(address));
        // The batch's code too: its first run after the write stopped the
        // thread for a page fault of its own (4 µs in a virtual machine),
        // past the start of a printer's Ack pulse. Nothing it set stays.
        beginBatch(0);
        batch = untilClock = 0;
        clocked = false;
        ports.write(static_cast<std::uint16_t>(options_.startWrite->port),
                    options_.startWrite->value);
    }

    // Round 0 is always taken: it gives the initial values.
    for (; k == 0 || !stopRequested_.load(std::memory_order_relaxed); ++k) {
        // Inside a batch, once the stretch kept is known and its length is a
        // time, a whole round that does not begin the batch has nothing to do
        // but its reads: its position is the batch's clock reading, and the
        // length is looked at when the next batch begins. Such rounds are read
        // here, in the tightest loop, the first round of the next batch below.
        if (duration && kept && k > 0 && untilClock < batch && untilClock >= count) {
            const std::uint64_t whole = untilClock / count;
            const std::uint16_t* const address = addresses.data();
            const std::uint8_t* const last = current.data();
            std::size_t c = 0;
            for (std::uint64_t left = whole * count; left > 0; --left) {
                const std::uint8_t value = read(address[c]);
                if (value != last[c])
                    change(c, value, false, t);
                if (++c == count)
                    c = 0;
            }
            untilClock -= whole * count;
            k += whole;
            roundStart = lastPosition = t;
            roundStartTimed = false;
        }
        // A round's position: its due time at a fixed rate, else its start.
        nanoseconds position{};
        if (rate) {
            if (k == 0)
                firstPosition = now();
            position = firstPosition + DueAfter(k, *rate);
            for (nanoseconds wait = now(); wait < position; wait = now()) {
                if constexpr (kMaySleep) {
                    if (position - wait > kSleepAbove)
                        std::this_thread::sleep_for(position - wait - kWakeEarly);
                }
            }
        }
        for (std::size_t c = 0; c < count; ++c) {
            if (untilClock == 0)
                beginBatch(c);
            // The batch's first read: the clock was read just before it.
            const bool timed = untilClock-- == batch;
            const std::uint8_t value = read(addresses[c]);
            if (c == 0) {
                roundStart = t;
                roundStartTimed = timed;
                if (!rate)
                    position = t;
            }
            if (k == 0) {
                current[c] = value;
            } else if (value != current[c]) {
                change(c, value, timed, position);
            }
        }
        lastPosition = position;
        if (k == 0) {
            initial = current;
            firstRoundStart = roundStart;
            firstPosition = position;
            time0 = position;
        } else if (rate && roundStart - position > period) {
            ++stats.lateSamples;
        }

        if (!kept) {
            // Changes that can no longer lie in the stretch before an edge.
            while (!pending.empty() &&
                   (duration ? pending.front().change.time < position - beforeTime
                             : pending.front().round + beforeRounds < k)) {
                initial[pending.front().change.channel] = pending.front().change.value;
                pending.pop_front();
            }
            if (!duration) {
                recentPositions.push_back(position);
                if (recentPositions.size() > beforeRounds)
                    recentPositions.pop_front();
            }
            continue;
        }
        // A time is looked at only when the clock has moved on.
        if (duration && !clocked)
            continue;
        clocked = false;
        const double done = duration
                                ? static_cast<double>((position - time0).count()) /
                                      static_cast<double>(duration->count())
                                : static_cast<double>(k - round0 + 1) / static_cast<double>(rounds);
        progress_.store(std::min(done, 1.0), std::memory_order_relaxed);
        if (done >= 1.0) {
            ++k;
            break;
        }
    }

    // The last read's time: the clock reading just before it when it began a
    // batch, else one taken now, just after it, which also closes its batch.
    nanoseconds end = batchStart;
    if (batch - untilClock > 1) {
        end = now();
        closeBatch(end);
    }

    // Stopped while waiting for the edge: keep the stretch up to the last round.
    if (!kept) {
        if (duration)
            keepFrom(std::max(firstPosition, lastPosition - beforeTime), 0);
        else if (recentPositions.empty())
            keepFrom(lastPosition, k - 1);
        else
            keepFrom(recentPositions.front(), k - recentPositions.size());
    }
    if (recording.triggerTime)
        recording.triggerTime = *recording.triggerTime - time0;
    recording.length = end - time0;
    stats.samples = k;
    const nanoseconds lastRoundStart = roundStartTimed ? roundStart : end;
    if (k > 1 && lastRoundStart > firstRoundStart)
        stats.meanRate = static_cast<double>(k - 1) /
                         std::chrono::duration<double>(lastRoundStart - firstRoundStart).count();
}

} // namespace portprov
