// SPDX-License-Identifier: MIT
#include "recording/Recorder.h"

#include "ports/PortIo.h"
#include "ports/RemoteSequences.h"
#include "process/SteadyNow.h"
#include "recording/RecordingLoop.h"

#include <utility>

namespace portprov {

namespace {

using std::chrono::nanoseconds;
using namespace std::chrono_literals;

PortError Refused(const char* text) {
    return PortError(PortErrorKind::RefusedInput, text);
}

} // namespace

void CheckRecorderOptions(const RecorderOptions& options) {
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

Recorder::Recorder(RecorderOptions options, Clock clock, bool batchReads)
    : options_(std::move(options)), clock_(std::move(clock)), batchReads_(batchReads || !clock_) {
    CheckRecorderOptions(options_);
}

Recorder::~Recorder() = default;

void Recorder::start() {
    // Before the ports are taken: a second start is the caller's mistake, not a busy port.
    run_.checkNotStarted();
    std::vector<std::int32_t> addresses = options_.ports;
    if (options_.startWrite)
        addresses.push_back(options_.startWrite->port);
    sequence_ = std::make_unique<DirectPortSequence>(addresses);
    waiting_.store(options_.trigger.has_value());
    elsewhere_ = clock_ ? nullptr
                        : sequence_->backend().sequencesElsewhere(
                              static_cast<std::uint16_t>(options_.ports.front()));
    const auto body = [this] {
        if (elsewhere_)
            result_ = elsewhere_->record(options_, run_.stopRequested(), run_.progressShare(),
                                         waiting_);
        else if (clock_)
            record<Clock&, false>(clock_);
        else
            record<SteadyNow, true>(SteadyNow{});
    };
    const auto ending = [this] {
        waiting_.store(false);
        // The window may reach the ports again at once, before wait().
        sequence_.reset();
    };
    try {
        run_.start(body, ending);
    } catch (...) {
        sequence_.reset();
        throw;
    }
}

bool Recorder::waitingForEdge() const noexcept {
    return waiting_.load(std::memory_order_relaxed);
}

RecorderResult Recorder::wait() {
    run_.wait();
    return result_;
}

template <typename Now, bool kMaySleep> void Recorder::record(Now now) {
    PortBackend& ports = sequence_->backend();
    // Every read of the recording goes through here: the backend's held
    // reader, without the per-access checks that the sequence's hold settles.
    const HeldReader read = sequence_->reader();
    const auto write = [&ports](std::uint16_t address, std::uint8_t value) {
        ports.write(address, value);
    };
    RecordingLoop<Now, decltype(read), decltype(write), kMaySleep> loop(
        options_, batchReads_, now, read, write,
        {run_.stopRequested(), waiting_, run_.progressShare(), stream_});
    result_ = loop.run();
}

} // namespace portprov
