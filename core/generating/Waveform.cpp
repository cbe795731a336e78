// SPDX-License-Identifier: MIT
#include "generating/Waveform.h"

#include "connector/Connector.h"

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

std::optional<std::string> Refusal(const PulseTrain& pulses) {
    if (auto pins = PinsRefusal(pulses.pins))
        return pins;
    if (auto rate = RateRefusal(pulses.hz))
        return rate;
    if (pulses.count < 1 || pulses.count > kMostPulses)
        return "Antalet pulser måste vara 1 - 1000000000.";
    return std::nullopt;
}

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
    if (const auto* square = std::get_if<SquareWave>(&waveform))
        return square->duration;
    if (const auto* pulses = std::get_if<PulseTrain>(&waveform))
        return nanoseconds(std::llround(static_cast<double>(pulses->count) * 1e9 / pulses->hz));
    return std::get<PlayedSequence>(waveform).length;
}

std::vector<int> WaveformPins(const Waveform& waveform) {
    std::set<int> pins;
    if (const auto* square = std::get_if<SquareWave>(&waveform))
        pins.insert(square->pins.begin(), square->pins.end());
    else if (const auto* pulses = std::get_if<PulseTrain>(&waveform))
        pins.insert(pulses->pins.begin(), pulses->pins.end());
    else
        for (const PinChange& change : std::get<PlayedSequence>(waveform).changes)
            pins.insert(change.pin);
    return {pins.begin(), pins.end()};
}

} // namespace portprov
