// SPDX-License-Identifier: MIT
#include "generating/Generator.h"

#include "connector/GamePort.h"
#include "generating/SignalLoop.h"
#include "generating/WriteSchedule.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/PortIo.h"
#include "ports/RemoteSequences.h"
#include "ports/RestoringSequence.h"
#include "ports/SavedRegisters.h"
#include "process/RealTimeRun.h"
#include "process/SteadyNow.h"
#include "recording/RecordingLoop.h"

#include <algorithm>
#include <utility>

namespace portprov {

namespace {

using std::chrono::nanoseconds;

PortError Refused(std::string text) {
    return PortError(PortErrorKind::RefusedInput, std::move(text));
}

// The addresses the run holds: the two it writes, the ones it records, and
// a recording's start write.
std::vector<std::int32_t> HeldAddresses(const GeneratorOptions& options) {
    std::vector<std::int32_t> addresses{options.base, options.base + kControlOffset};
    if (const auto& recording = options.recording) {
        addresses.insert(addresses.end(), recording->ports.begin(), recording->ports.end());
        if (recording->startWrite)
            addresses.push_back(recording->startWrite->port);
    }
    return addresses;
}

void CheckOptions(const GeneratorOptions& options) {
    if (auto refusal = WaveformRefusal(options.waveform))
        throw Refused(*refusal);
    const std::int32_t base = options.base;
    if (!IsValidPort(base) || !IsValidPort(base + kControlOffset))
        throw Refused("Ogiltig basadress för signalgeneratorn: " + std::to_string(base));
    // The game port has no outputs, and a base whose registers reach it
    // would write the game port's timers.
    for (std::int32_t port = base; port <= base + kControlOffset; ++port) {
        if (IsGamePort(static_cast<std::uint16_t>(port)))
            throw Refused("Spelporten (" + std::to_string(port) +
                          ") har inga utgångar: välj en parallellport.");
    }
    if (const auto& recording = options.recording) {
        CheckRecorderOptions(*recording);
        for (const std::int32_t port : HeldAddresses(options)) {
            if (!IsValidPort(port))
                throw Refused(std::string(kInvalidAddressMessage));
        }
    }
}

// Below the kernel's usual 950 ms of real-time running a second.
constexpr nanoseconds kLongestUnstoppedRun = std::chrono::milliseconds(900);
// Writes at least this far apart leave room for the loop's rests
// (RestBudget) before each: a rest and the wake-up margin before the write.
constexpr nanoseconds kRoomForRests = std::chrono::microseconds(200);

// Whether real-time priority helps the run. Where the kernel keeps a reserve
// for other threads, it stops a real-time thread that never sleeps (the reads
// of a recording beside the signal, or writes closer than it sleeps between)
// for up to 50 ms once it has run for most of a second. The loop rests before
// its writes so that this never happens (RestBudget); where the writes are too
// close together for that, a run longer than a second does better without.
bool RealTimeHelps(const GeneratorOptions& options, const WriteSchedule& schedule) {
    nanoseconds length = WaveformLength(options.waveform);
    if (options.recording) {
        const auto* recorded = std::get_if<nanoseconds>(&options.recording->length);
        length = recorded ? std::max(length, *recorded) : nanoseconds::max();
    }
    return schedule.shortestStep() >= kRoomForRests || length <= kLongestUnstoppedRun ||
           !RealTimeRun::KernelStopsBusyThreads();
}

} // namespace

Generator::Generator(GeneratorOptions options, Clock clock)
    : options_(std::move(options)), clock_(std::move(clock)) {
    CheckOptions(options_);
}

GeneratorResult Generator::wait() {
    run_.wait();
    return result_;
}

void Generator::run() {
    SequenceSteps steps;
    steps.elsewhere = [this](RemoteSequences& elsewhere) {
        result_ = elsewhere.generate(options_, run_.stopRequested(), run_.progressShare());
    };
    steps.body = [this](SavedRegisters& saved) {
        const auto base = static_cast<std::uint16_t>(options_.base);
        WriteSchedule schedule(options_.waveform, base, saved.data(), saved.control());
        // The window's accesses are refused as Busy until the run is over;
        // the sequence ends before the registers are put back.
        const DirectPortSequence sequence(HeldAddresses(options_));
        const RealTimeRun realTime(options_.realTime && !clock_ &&
                                   RealTimeHelps(options_, schedule));
        const bool realTimeRun = realTime.priority();
        if (clock_)
            generate<Clock&, false>(sequence, schedule, clock_, false);
        else
            generate<SteadyNow, true>(sequence, schedule, SteadyNow{}, realTimeRun);
        result_.stats.realTime = realTime.priority();
        result_.stats.memoryLocked = realTime.memoryLocked();
    };
    // An injected clock is a test's: it runs here, on the backend it chose.
    if (clock_)
        steps.elsewhere = nullptr;
    RunRestoringSequence(options_.base, "signalgeneratorn", steps);
    run_.progressShare().store(1.0);
}

template <typename Now, bool kMaySleep>
void Generator::generate(const DirectPortSequence& sequence, WriteSchedule& schedule, Now now,
                         bool realTime) {
    // Every write of the signal goes through the backend's held writer,
    // without the per-access checks that the sequence's hold settles.
    const HeldWriter write = sequence.writer();
    SignalLoop<Now, decltype(write), kMaySleep> signal(schedule, now, write, run_.stopRequested(),
                                                       run_.progressShare());
    // At real-time priority a late write waits for part of its step, and a
    // loop that never sleeps rests a little so that the kernel, keeping its
    // reserve for other threads, never stops it (RestBudget).
    signal.catchUpSpaced(realTime);
    signal.restNowAndThen(realTime && RealTimeRun::KernelStopsBusyThreads());
    if (options_.recording) {
        // The recording's progress and trigger are its own; the run's is
        // the signal's.
        std::atomic<bool> waiting{false};
        std::atomic<double> recorded{0.0};
        const HeldReader read = sequence.reader();
        RecordingLoop<Now, decltype(read), decltype(write), kMaySleep, decltype(signal)> loop(
            *options_.recording, false, now, read, write,
            {run_.stopRequested(), waiting, recorded, stream_}, &signal, schedule.shortestStep());
        result_.recorded = loop.run();
        // A signal longer than the recording goes on alone.
        while (signal.active() && !signal.stopped())
            signal.writeNext();
    } else {
        signal.run();
    }
    result_.stats = signal.stats();
}

} // namespace portprov
