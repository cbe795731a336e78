// SPDX-License-Identifier: MIT
#include "generating/Waveform.h"

#include "connector/Connector.h"
#include "generating/waves/WaveChecks.h"

#include <algorithm>

namespace portprov {

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

bool IsGeneratorPin(int pin) {
    const auto found = PinOf(pin);
    return found &&
           (found->direction == LineDirection::Output || found->direction == LineDirection::Data);
}

std::optional<std::string> WaveformRefusal(const Waveform& waveform) {
    return std::visit([](const auto& wave) { return Refusal(wave); }, waveform);
}

std::chrono::nanoseconds WaveformLength(const Waveform& waveform) {
    return std::visit([](const auto& wave) { return Length(wave); }, waveform);
}

std::vector<int> WaveformPins(const Waveform& waveform) {
    return std::visit([](const auto& wave) { return Pins(wave); }, waveform);
}

} // namespace portprov
