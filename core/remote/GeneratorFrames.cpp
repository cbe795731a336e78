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

enum class Shape : std::uint8_t { Square, Pulses, Played };

constexpr std::int64_t kLongestSignalNs = nanoseconds(kLongestSignal).count();
// The pins the generator drives: data 2 - 9 and control 1, 14, 16, 17.
constexpr std::size_t kMostPins = 12;

// Pins go sorted and each once: the signal is the same, and the helper can
// refuse any list that is not so.
void WritePins(Writer& out, std::vector<int> pins) {
    std::sort(pins.begin(), pins.end());
    pins.erase(std::unique(pins.begin(), pins.end()), pins.end());
    out.u8(pins.size());
    for (const int pin : pins)
        out.u8(static_cast<std::uint64_t>(pin));
}

std::vector<int> ReadPins(Reader& in) {
    const std::size_t count = in.u8();
    in.require(count >= 1 && count <= kMostPins);
    std::vector<int> pins;
    for (std::size_t i = 0; i < count && i < kMostPins; ++i) {
        const int pin = static_cast<int>(in.u8());
        in.require(IsGeneratorPin(pin) && (pins.empty() || pin > pins.back()));
        pins.push_back(pin);
    }
    return pins;
}

double ReadRate(Reader& in) {
    const double hz = in.f64();
    in.require(hz >= kLowestSignalRate && hz <= kHighestSignalRate); // false for NaN too
    return hz;
}

// A time from the signal's start, 0 (or above, when not zeroAllowed) to kLongestSignal.
nanoseconds ReadTime(Reader& in, bool zeroAllowed) {
    const std::int64_t ns = in.i64();
    in.require(ns <= kLongestSignalNs && (zeroAllowed ? ns >= 0 : ns > 0));
    return nanoseconds(ns);
}

void WriteShape(Writer& out, const Request& request) {
    const Waveform& waveform = request.generate.waveform;
    if (const auto* square = std::get_if<SquareWave>(&waveform)) {
        out.u8(static_cast<std::uint8_t>(Shape::Square));
        WritePins(out, square->pins);
        out.f64(square->hz);
        out.f64(square->duty);
        out.i64(square->duration.count());
    } else if (const auto* pulses = std::get_if<PulseTrain>(&waveform)) {
        out.u8(static_cast<std::uint8_t>(Shape::Pulses));
        WritePins(out, pulses->pins);
        out.u64(pulses->count);
        out.f64(pulses->hz);
    } else {
        out.u8(static_cast<std::uint8_t>(Shape::Played));
        out.u32(request.playedCount);
        out.i64(std::get<PlayedSequence>(waveform).length.count());
    }
}

void ReadShape(Reader& in, Request& request) {
    switch (static_cast<Shape>(in.check(in.u8(), 2))) {
    case Shape::Square: {
        SquareWave square;
        square.pins = ReadPins(in);
        square.hz = ReadRate(in);
        square.duty = in.f64();
        in.require(square.duty > 0.0 && square.duty < 100.0);
        square.duration = ReadTime(in, false);
        request.generate.waveform = square;
        break;
    }
    case Shape::Pulses: {
        PulseTrain pulses;
        pulses.pins = ReadPins(in);
        pulses.count = in.check(in.u64(), kMostPulses);
        in.require(pulses.count >= 1);
        pulses.hz = ReadRate(in);
        request.generate.waveform = pulses;
        break;
    }
    case Shape::Played: {
        request.playedCount = static_cast<std::uint32_t>(in.check(in.u32(), kMostPlayedChanges));
        in.require(request.playedCount >= 1);
        request.generate.waveform = PlayedSequence{{}, ReadTime(in, true)};
        break;
    }
    }
}

} // namespace

void WriteGenerate(Writer& out, const Request& request) {
    out.u32(static_cast<std::uint32_t>(request.generate.base));
    out.u8(request.generate.realTime);
    WriteShape(out, request);
    out.u8(request.generate.recording.has_value());
    if (request.generate.recording)
        WriteRecord(out, *request.generate.recording);
}

void ReadGenerate(Reader& in, Request& request) {
    request.generate.base = Base(in);
    request.generate.realTime = in.flag();
    ReadShape(in, request);
    if (in.flag())
        request.generate.recording = ReadRecord(in);
}

void WritePlayedChanges(Writer& out, const Request& request) {
    out.u32(request.firstChange);
    out.u16(request.played.size());
    for (const PinChange& change : request.played) {
        out.i64(change.time.count());
        out.u8(static_cast<std::uint64_t>(change.pin));
        out.u8(change.high);
    }
}

void ReadPlayedChanges(Reader& in, Request& request) {
    request.firstChange = static_cast<std::uint32_t>(in.check(in.u32(), kMostPlayedChanges - 1));
    const std::size_t count = in.check(in.u16(), kPlayedChangesPerFrame);
    in.require(count >= 1);
    for (std::size_t i = 0; i < count && i < kPlayedChangesPerFrame; ++i) {
        PinChange change;
        change.time = ReadTime(in, true);
        change.pin = static_cast<int>(in.u8());
        change.high = in.flag();
        in.require(IsGeneratorPin(change.pin) &&
                   (request.played.empty() || change.time >= request.played.back().time));
        request.played.push_back(change);
    }
}

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

void WriteGenerated(Writer& out, const Answer& answer) {
    const GeneratorStats& stats = answer.generated;
    out.u64(stats.writes);
    out.u64(stats.periods);
    out.f64(stats.achievedHz);
    out.i64(stats.worstLateness.count());
    out.i64(stats.medianLateness.count());
    out.u64(stats.lateWrites);
    out.u8(stats.stopped);
    out.u8(stats.realTime);
    out.u8(stats.memoryLocked);
    out.u8(answer.withRecording);
    if (answer.withRecording)
        WriteEnd(out, answer.end);
}

void ReadGenerated(Reader& in, Answer& answer) {
    GeneratorStats& stats = answer.generated;
    stats.writes = in.u64();
    stats.periods = in.u64();
    stats.achievedHz = in.f64();
    in.require(std::isfinite(stats.achievedHz) && stats.achievedHz >= 0.0);
    stats.worstLateness = nanoseconds(in.i64());
    stats.medianLateness = nanoseconds(in.i64());
    stats.lateWrites = in.u64();
    stats.stopped = in.flag();
    stats.realTime = in.flag();
    stats.memoryLocked = in.flag();
    answer.withRecording = in.flag();
    if (answer.withRecording)
        ReadEnd(in, answer.end);
}

} // namespace portprov::helper_protocol
