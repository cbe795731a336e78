// SPDX-License-Identifier: MIT
// A signal on its way to portprov-io and its figures on the way back. The
// helper drives the port with what arrives here, so each field is held to
// the generator's own bounds before anything else looks at it; what only the
// whole waveform shows (WaveformRefusal) the helper's generator checks again.
#include "remote/FrameFields.h"

#include <cmath>

namespace portprov::helper_protocol {

namespace {

using std::chrono::nanoseconds;

constexpr std::int64_t kLongestSignalNs = nanoseconds(kLongestSignal).count();
// The pins the generator drives: data 2 - 9 and control 1, 14, 16, 17.
constexpr std::size_t kMostPins = 12;

// Pins go sorted and each once: the signal is the same, and the helper can
// refuse any list that is not so.
template <class Io> void PinsField(Io& io, Of<std::vector<int>> auto& pins) {
    std::vector<int> sent(pins.begin(), pins.end());
    std::sort(sent.begin(), sent.end());
    sent.erase(std::unique(sent.begin(), sent.end()), sent.end());
    io.sequence(sent, 1, 1, kMostPins, [&](auto& pin, std::size_t i) {
        io.u8(pin);
        io.require(IsGeneratorPin(pin) && (i == 0 || pin > sent[i - 1]));
    });
    io.derived(pins, sent);
}

template <class Io> void RateField(Io& io, Of<double> auto& hz) {
    io.f64(hz);
    io.require(hz >= kLowestSignalRate && hz <= kHighestSignalRate); // false for NaN too
}

// A time from the signal's start, 0 (or above, when not zeroAllowed) to kLongestSignal.
template <class Io> void TimeField(Io& io, Of<nanoseconds> auto& time, bool zeroAllowed) {
    io.i64(time);
    const std::int64_t ns = time.count();
    io.require(ns <= kLongestSignalNs && (zeroAllowed ? ns >= 0 : ns > 0));
}

// The fields of each kind of waveform, after its index in Waveform; a played
// sequence's changes follow in frames of their own, here only their count.
template <class Io> void ShapeFields(Io& io, Of<SquareWave> auto& square, auto& /*playedCount*/) {
    PinsField(io, square.pins);
    RateField(io, square.hz);
    io.f64(square.duty);
    io.require(square.duty > 0.0 && square.duty < 100.0);
    TimeField(io, square.duration, false);
}

template <class Io> void ShapeFields(Io& io, Of<PulseTrain> auto& pulses, auto& /*playedCount*/) {
    PinsField(io, pulses.pins);
    io.u64(pulses.count, kMostPulses);
    io.require(pulses.count >= 1);
    RateField(io, pulses.hz);
}

template <class Io> void ShapeFields(Io& io, Of<PlayedSequence> auto& played, auto& playedCount) {
    io.u32(playedCount, kMostPlayedChanges);
    io.require(playedCount >= 1);
    TimeField(io, played.length, true);
}

} // namespace

template <class Io> void GenerateFields(Io& io, Of<Request> auto& request) {
    io.u32(request.generate.base, kHighestBase);
    io.flag(request.generate.realTime);
    io.alternative(request.generate.waveform,
                   [&](auto& shape) { ShapeFields(io, shape, request.playedCount); });
    io.present(request.generate.recording, [&](auto& recording) { RecordFields(io, recording); });
}
template void GenerateFields(Writer&, const Request&);
template void GenerateFields(Reader&, Request&);

template <class Io> void PlayedChangesFields(Io& io, Of<Request> auto& request) {
    io.u32(request.firstChange, kMostPlayedChanges - 1);
    io.sequence(request.played, 2, 1, kPlayedChangesPerFrame, [&](auto& change, std::size_t i) {
        TimeField(io, change.time, true);
        io.u8(change.pin);
        io.flag(change.high);
        io.require(IsGeneratorPin(change.pin) &&
                   (i == 0 || change.time >= request.played[i - 1].time));
    });
}
template void PlayedChangesFields(Writer&, const Request&);
template void PlayedChangesFields(Reader&, Request&);

std::vector<Request> GenerationRequests(const GeneratorOptions& options) {
    Request first;
    first.kind = Kind::Generate;
    first.generate = options;
    const auto* played = std::get_if<PlayedSequence>(&options.waveform);
    if (played == nullptr)
        return {first};
    // The changes travel apart; the first request keeps only their count.
    first.generate.waveform = PlayedSequence{{}, played->length};
    first.playedCount = static_cast<std::uint32_t>(played->changes.size());
    std::vector<Request> requests{first};
    for (std::size_t at = 0; at < played->changes.size(); at += kPlayedChangesPerFrame) {
        Request next;
        next.kind = Kind::PlayedChanges;
        next.firstChange = static_cast<std::uint32_t>(at);
        const std::size_t end = std::min(played->changes.size(), at + kPlayedChangesPerFrame);
        next.played.assign(played->changes.begin() + static_cast<std::ptrdiff_t>(at),
                           played->changes.begin() + static_cast<std::ptrdiff_t>(end));
        requests.push_back(std::move(next));
    }
    return requests;
}

std::size_t FollowUpsOf(const Request& generate) {
    if (generate.kind != Kind::Generate ||
        !std::holds_alternative<PlayedSequence>(generate.generate.waveform))
        return 0;
    return (std::size_t{generate.playedCount} + kPlayedChangesPerFrame - 1) /
           kPlayedChangesPerFrame;
}

std::optional<std::string> AddFollowUp(Request& generate,
                                       const std::variant<Request, Refusal>& followUp) {
    if (const auto* refusal = std::get_if<Refusal>(&followUp))
        return refusal->reason;
    const Request& next = std::get<Request>(followUp);
    auto* played = std::get_if<PlayedSequence>(&generate.generate.waveform);
    if (next.kind != Kind::PlayedChanges || played == nullptr)
        return "Begäran passar inte här: signalens ändringar väntades.";
    std::vector<PinChange>& changes = played->changes;
    if (next.firstChange != changes.size())
        return "Signalens ändringar kom i fel ordning.";
    // Only whole runs are added, so there are never more changes than announced.
    const std::size_t left = generate.playedCount - changes.size();
    if (next.played.empty() || next.played.size() != std::min(kPlayedChangesPerFrame, left))
        return "Signalens ändringar är fler eller färre än den angav.";
    if (!changes.empty() && next.played.front().time < changes.back().time)
        return "Signalens ändringar kom i fel ordning.";
    changes.insert(changes.end(), next.played.begin(), next.played.end());
    return std::nullopt;
}

bool IsFollowUp(const Frame& frame) {
    const auto header = ReadHeader(frame);
    const auto* kindAndSize = std::get_if<std::pair<Kind, std::size_t>>(&header);
    return kindAndSize != nullptr && kindAndSize->first == Kind::PlayedChanges;
}

template <class Io> void GeneratedFields(Io& io, Of<Answer> auto& answer) {
    auto& stats = answer.generated;
    io.u64(stats.writes);
    io.u64(stats.periods);
    io.f64(stats.achievedHz);
    io.require(std::isfinite(stats.achievedHz) && stats.achievedHz >= 0.0);
    io.i64(stats.worstLateness);
    io.i64(stats.medianLateness);
    io.u64(stats.lateWrites);
    io.u64(stats.distortedPeriods);
    io.flag(stats.stopped);
    io.flag(stats.realTime);
    io.flag(stats.memoryLocked);
    io.flag(answer.withRecording);
    if (answer.withRecording)
        EndFields(io, answer.end);
}
template void GeneratedFields(Writer&, const Answer&);
template void GeneratedFields(Reader&, Answer&);

} // namespace portprov::helper_protocol
