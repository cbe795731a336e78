// SPDX-License-Identifier: MIT
// The pulse train: its checks, its length and pins, and its two moments a
// period, away from the idle level and back.
#include "generating/Waveform.h"
#include "generating/WriteSchedule.h"
#include "generating/waves/WaveChecks.h"

#include <cmath>

namespace portprov {

using std::chrono::nanoseconds;

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

} // namespace portprov
