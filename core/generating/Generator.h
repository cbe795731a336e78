// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Waveform.h"
#include "process/BackgroundRun.h"
#include "recording/Recorder.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace portprov {

class ChangeStream;
class DirectPortSequence;
class WriteSchedule;

struct GeneratorOptions {
    // The parallel port whose pins are driven: its data register (base) and
    // control register (base + 2).
    std::int32_t base = 888;
    Waveform waveform;
    // Recorded on the same thread and clock while the signal runs: the
    // recording's round 0 is the signal's time 0 (without a trigger). Its
    // length is its own; the signal runs to its end either way. A trigger's
    // edge is waited for until the signal has ended and the length has gone
    // by since time 0; then the recording ends as one stopped before its
    // edge: no triggerTime, the stretch recorded while waiting kept.
    std::optional<RecorderOptions> recording{};
    // Asks for real-time priority and locked memory for the run.
    bool realTime = true;
};

// What the generator achieved.
struct GeneratorStats {
    std::uint64_t writes = 0;  // register writes made
    std::uint64_t periods = 0; // periods begun (square wave, pulses); rows' times reached (played)
    // Periods a second, measured between the first and the last period's
    // first write; 0 with fewer than two periods, and for a played sequence.
    double achievedHz = 0.0;
    // How long after its due time a write went out: the worst, the median
    // (to 10 ns), and the writes later than a tenth of the wave's shortest
    // step (kLateShare) or more.
    std::chrono::nanoseconds worstLateness{};
    std::chrono::nanoseconds medianLateness{};
    std::uint64_t lateWrites = 0;
    // Periods (rows' times, played) with a step more than a tenth longer or
    // shorter than planned: what came out is not the wave asked for.
    std::uint64_t distortedPeriods = 0;
    bool stopped = false;      // ended by stop() before the signal's end
    bool realTime = false;     // ran at real-time priority
    bool memoryLocked = false; // ran with its memory locked
};

struct GeneratorResult {
    GeneratorStats stats;
    // The recording, when one was asked for.
    std::optional<RecorderResult> recorded;
};

// Drives output pins of a parallel port in time on a thread of its own, as
// one sequence that leaves the port as it found it (RunRestoringSequence):
// the port is held, the termination signals are held back, the data and
// control registers are saved and put back at the end, after stop(), after
// a failure. While it runs, the program's other accesses are refused as Busy
// (kRecordingRunsMessage), as during a recording. Each write goes out at its
// due time on a monotonic clock, counted from the start so that no error adds
// up; a late write is counted and made late, never left out. The bits of each
// register that the waveform does not drive keep the values they had.
//
// With a recording, the writes and the reads are interleaved on the one
// thread: one clock and one zero for stimulus and response, nothing to lock
// between two threads on the simulated PC, and one hold of the port (raw
// I/O's grant belongs to a thread). Where the ports are reached through the
// helper portprov-io, the whole run happens there.
class Generator {
public:
    // Monotonic time; steady_clock unless a test injects its own.
    using Clock = std::function<std::chrono::nanoseconds()>;

    // Throws PortError (RefusedInput, Swedish) for a waveform that cannot be
    // generated (WaveformRefusal), a base whose registers are not 0 - 65535
    // or that reaches the game port, or recording options the recorder
    // refuses. Nothing is touched.
    explicit Generator(GeneratorOptions options, Clock clock = {});
    // Destroyed, it stops a run still going and waits for its thread.
    Generator(const Generator&) = delete;
    Generator& operator=(const Generator&) = delete;

    // Starts the thread. Once only. Failures to reach the port (Busy, no
    // access, data pins turned to input) come from wait().
    void start() {
        run_.start([this] { run(); });
    }
    // Ends the run early, from any thread.
    void stop() noexcept { run_.stop(); }
    // How much of the signal has gone out, 0 to 1, from any thread.
    double progress() const noexcept { return run_.progress(); }
    // True once the port has been put back and let go.
    bool finished() const noexcept { return run_.finished(); }
    // Waits for the end; rethrows the PortError that ended the run.
    GeneratorResult wait();
    // Before start(): the recording's changes go to stream as they come, as
    // Recorder::streamChangesTo.
    void streamChangesTo(ChangeStream& stream) { stream_ = &stream; }

private:
    void run();
    template <typename Now, bool kMaySleep>
    void generate(const DirectPortSequence& sequence, WriteSchedule& schedule, Now now,
                  bool realTime);

    GeneratorOptions options_;
    Clock clock_;
    ChangeStream* stream_ = nullptr;
    GeneratorResult result_;
    // Last, so that its thread has ended before the members it uses go.
    BackgroundRun run_{"Generator"};
};

} // namespace portprov
