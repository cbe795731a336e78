// SPDX-License-Identifier: MIT
#pragma once

#include "process/BackgroundRun.h"
#include "recording/Recording.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace portprov {

class ChangeStream;
class DirectPortSequence;
class RemoteSequences;

// The edge a trigger waits for, at the line's level on the connector.
enum class Edge { Rise, Fall };

// The fixed rates a recording may keep, in rounds a second.
inline constexpr double kSlowestRecordingRate = 1'000.0;
inline constexpr double kFastestRecordingRate = 1'000'000.0;

struct RecorderOptions {
    // The registers read in turn, one round after the other (888, 889, 890).
    std::vector<std::int32_t> ports;
    // Rounds a second, kSlowestRecordingRate to kFastestRecordingRate, round
    // k due at the start plus k periods; none: as fast as the access path
    // allows.
    std::optional<double> rate{};
    // How much to keep: a time, or a number of rounds.
    std::variant<std::chrono::nanoseconds, std::uint64_t> length =
        std::chrono::nanoseconds(std::chrono::seconds(1));

    // Waits for an edge on one line, keeping a stretch from before it.
    struct Trigger {
        std::uint32_t channel = 0; // index into ports
        int bit = 0;
        bool inverted = false; // as RecordedLine::inverted
        Edge edge = Edge::Rise;
        double before = 0.1; // the share of the length kept from before the edge, 0 to below 1
    };
    std::optional<Trigger> trigger{};

    // Written once just before the first round (513 starts the game port's
    // axis timers).
    struct Write {
        std::int32_t port = 0;
        std::uint8_t value = 0;
    };
    std::optional<Write> startWrite{};
};

// Throws PortError (RefusedInput, a Swedish text) for options that cannot
// be recorded: no address, a rate or length out of range, a trigger on a
// line not recorded.
void CheckRecorderOptions(const RecorderOptions& options);

struct RecorderResult {
    Recording recording;
    RecordingStats stats;
};

// Records registers on a thread of its own, timing the reads by a monotonic
// clock and keeping only the changes. While it runs, the ports are its alone
// (DirectPortSequence): the window's accesses are refused as Busy. The loop
// itself is RecordingLoop, built from ClockBatches (when the clock is read),
// RatePacer (a fixed rate) and PreTriggerRing (the stretch before an edge).
//
// At a fixed rate the clock is read beside every read. At the fastest it is
// read once a batch of reads, the batch sized from the measured cost of a read
// to last about a microsecond (one read on a real port, where a read costs
// about that; some hundred on the simulated PC, whose reads cost a tenth of a
// clock reading). What the recording promises stays: a change is timed by the
// clock reading just before its read when that read began a batch, else by one
// taken just after it; a length in time is looked at once a batch, so it is
// overshot by a batch or two at most; stop() is seen at the next batch. The
// longest gap is then an upper bound: a read inside a batch is counted as late
// as the clock reading that ends its batch, and the register's read before it
// as early as the reading that began that one's batch.
//
// At a fixed rate a length in time is a number of rounds, each standing for a
// period: 1000 Hz for 10 ms takes 10 rounds, and the recording's length is
// 10 ms. A round that comes late is counted (RecordingStats::lateSamples) and
// read late; none is made up or left out.
//
// With a trigger, what is kept from before the edge is bounded by the
// recording's own size (its `before` share) and held in a PreTriggerRing of
// bounded memory, however long the wait. Stopped before the edge came, the
// result holds the stretch recorded while waiting and Recording::triggerTime
// is empty: that is how the caller tells that the edge never came. The
// statistics count the kept stretch only.
//
// Running out of memory (std::bad_alloc) while recording, here or in the
// helper that records next to the port, ends the recording: wait() gives what
// was recorded up to then, with RecordingStats::outOfMemory set.
class Recorder {
public:
    // Monotonic time; steady_clock unless a test injects its own.
    using Clock = std::function<std::chrono::nanoseconds()>;

    // Throws PortError (RefusedInput, a Swedish text) for options that cannot
    // be recorded. With an injected clock the clock is read beside every read,
    // so that a test's times are exact, unless batchReads asks for the batches
    // of a real recording.
    explicit Recorder(RecorderOptions options, Clock clock = {}, bool batchReads = false);
    // Stops a recording still running and waits for its thread.
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Takes the ports and starts the thread. Throws PortError when the
    // ports cannot be had (a bad address, no access, a recording already
    // running); then nothing has been read or written. Once only.
    void start();
    // Ends the recording early, from any thread; wait() then gives what was
    // recorded so far.
    void stop() noexcept { run_.stop(); }
    // How much of the length has been recorded, 0 to 1, from any thread.
    // Stays 0 while a trigger waits for its edge.
    double progress() const noexcept { return run_.progress(); }
    // True while a trigger's edge has not come yet: the recorder keeps only
    // the stretch from before it. False without a trigger and once the
    // recording is over. From any thread, also while the helper records.
    bool waitingForEdge() const noexcept;
    // True once the thread has let go of the ports.
    bool finished() const noexcept { return run_.finished(); }
    // Waits for the end. Rethrows the PortError (or any other failure) that
    // ended the recording early.
    RecorderResult wait();
    // Before start(): the changes go to stream a batch at a time as they come
    // (ChangeStream); wait()'s recording then holds only those after the
    // last batch. Where the ports are reached through the helper, which
    // streams them itself, all stay in the result.
    void streamChangesTo(ChangeStream& stream) { stream_ = &stream; }

private:
    template <typename Now, bool kMaySleep> void record(Now now);

    RecorderOptions options_;
    Clock clock_;
    bool batchReads_;
    std::unique_ptr<DirectPortSequence> sequence_;
    // The helper that records next to the port, where the ports are reached through one.
    RemoteSequences* elsewhere_ = nullptr;
    ChangeStream* stream_ = nullptr;
    std::atomic<bool> waiting_{false};
    RecorderResult result_;
    // Last, so that its thread has ended before the members it uses go.
    BackgroundRun run_{"Recorder"};
};

} // namespace portprov
