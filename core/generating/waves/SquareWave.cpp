// SPDX-License-Identifier: MIT
// The square wave: its checks, its length and pins, and its two moments a
// period.
#include "generating/Waveform.h"
#include "generating/WriteSchedule.h"
#include "generating/waves/WaveChecks.h"

#include <algorithm>
#include <cmath>

namespace portprov {

using std::chrono::nanoseconds;

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

} // namespace portprov
