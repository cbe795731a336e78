// SPDX-License-Identifier: MIT
// The kinds of waveform, one section each: its refusal, its length, its pins
// and the register values it makes (Shape, for its WriteSchedule), which the
// visits at the end find by overload. A new kind adds its section here.
#include "generating/Waveform.h"

#include "connector/Connector.h"
#include "generating/WriteSchedule.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace portprov {

namespace {

using std::chrono::nanoseconds;

std::optional<std::string> PinsRefusal(const std::vector<int>& pins) {
    if (pins.empty())
        return "Välj minst ett stift att driva.";
    for (const int pin : pins) {
        if (!IsGeneratorPin(pin))
            return "Stift " + std::to_string(pin) +
                   " är ingen utgång: välj bland stiften 1 - 9, 14, 16 och 17.";
    }
    return std::nullopt;
}

std::optional<std::string> RateRefusal(double hz) {
    if (!(hz >= kLowestSignalRate && hz <= kHighestSignalRate))
        return "Frekvensen måste vara 1 - 100000 Hz.";
    return std::nullopt;
}

std::vector<int> SortedOnce(std::vector<int> pins) {
    std::sort(pins.begin(), pins.end());
    pins.erase(std::unique(pins.begin(), pins.end()), pins.end());
    return pins;
}

// The square wave.

std::optional<std::string> Refusal(const SquareWave& square) {
    if (auto pins = PinsRefusal(square.pins))
        return pins;
    if (auto rate = RateRefusal(square.hz))
        return rate;
    if (!(square.duty > 0.0 && square.duty < 100.0))
        return "Pulskvoten måste vara över 0 och under 100 %.";
    if (square.duration <= nanoseconds{} || square.duration > kLongestSignal)
        return "Signalens längd måste vara över 0 och högst 24 timmar.";
    return std::nullopt;
}

nanoseconds Length(const SquareWave& square) {
    return square.duration;
}

std::vector<int> Pins(const SquareWave& square) {
    return SortedOnce(square.pins);
}

// High at the period's start, low after `duty` of it, for the periods that
// begin before the duration ends.
ScheduleShape Shape(const SquareWave& square, const RegisterValues& idle) {
    RegisterValues high = idle;
    RegisterValues low = idle;
    for (const int pin : square.pins) {
        high.set(pin, true);
        low.set(pin, false);
    }
    const double duty = square.duty / 100.0;
    const double periodNs = 1e9 / square.hz;
    const double periods =
        std::ceil(static_cast<double>(square.duration.count()) / periodNs - 1e-9);
    return {square.hz,
            {{0.0, high}, {duty, low}},
            static_cast<std::uint64_t>(std::max(1.0, periods)),
            nanoseconds(std::llround(std::min(duty, 1.0 - duty) * periodNs)),
            {}};
}

// The pulse train.

std::optional<std::string> Refusal(const PulseTrain& pulses) {
    if (auto pins = PinsRefusal(pulses.pins))
        return pins;
    if (auto rate = RateRefusal(pulses.hz))
        return rate;
    if (pulses.count < 1 || pulses.count > kMostPulses)
        return "Antalet pulser måste vara 1 - 1000000000.";
    return std::nullopt;
}

nanoseconds Length(const PulseTrain& pulses) {
    return nanoseconds(std::llround(static_cast<double>(pulses.count) * 1e9 / pulses.hz));
}

std::vector<int> Pins(const PulseTrain& pulses) {
    return SortedOnce(pulses.pins);
}

// Away from the idle level at the period's start, back at its half.
ScheduleShape Shape(const PulseTrain& pulses, const RegisterValues& idle) {
    RegisterValues active = idle;
    for (const int pin : Pins(pulses))
        active.flip(pin);
    return {pulses.hz,
            {{0.0, active}, {0.5, idle}},
            pulses.count,
            nanoseconds(std::llround(1e9 / pulses.hz / 2.0)),
            {}};
}

// The played sequence.

std::optional<std::string> Refusal(const PlayedSequence& played) {
    if (played.changes.empty())
        return "Det finns inget att spela upp.";
    if (played.changes.size() > kMostPlayedChanges)
        return "Högst 1000000 ändringar kan spelas upp.";
    nanoseconds last{};
    for (const PinChange& change : played.changes) {
        if (!IsGeneratorPin(change.pin))
            return PinsRefusal({change.pin});
        if (change.time < last)
            return "Uppspelningens tider måste komma i ordning.";
        last = change.time;
    }
    if (played.length < last || played.length > kLongestSignal)
        return "Uppspelningen får vara högst 24 timmar lång.";
    return std::nullopt;
}

nanoseconds Length(const PlayedSequence& played) {
    return played.length;
}

std::vector<int> Pins(const PlayedSequence& played) {
    std::set<int> pins;
    for (const PinChange& change : played.changes)
        pins.insert(change.pin);
    return {pins.begin(), pins.end()};
}

// Its changes, played once as they are.
ScheduleShape Shape(const PlayedSequence& played, const RegisterValues& /*idle*/) {
    return {0.0, {}, 0, {}, played.changes};
}

} // namespace

bool IsGeneratorPin(int pin) {
    const auto found = PinOf(pin);
    return found &&
           (found->direction == LineDirection::Output || found->direction == LineDirection::Data);
}

std::optional<std::string> WaveformRefusal(const Waveform& waveform) {
    return std::visit([](const auto& wave) { return Refusal(wave); }, waveform);
}

nanoseconds WaveformLength(const Waveform& waveform) {
    return std::visit([](const auto& wave) { return Length(wave); }, waveform);
}

std::vector<int> WaveformPins(const Waveform& waveform) {
    return std::visit([](const auto& wave) { return Pins(wave); }, waveform);
}

std::size_t PlayedChangeCount(const PlayedSequence& played) {
    return played.changes.size() - Pins(played).size();
}

ScheduleShape WaveformShape(const Waveform& waveform, const RegisterValues& idle) {
    return std::visit([&idle](const auto& wave) { return Shape(wave, idle); }, waveform);
}

} // namespace portprov
