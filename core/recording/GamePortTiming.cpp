// SPDX-License-Identifier: MIT
#include "recording/GamePortTiming.h"

#include <algorithm>

namespace portprov {

GamePortReading ReadGamePort(const Recording& recording) {
    GamePortReading reading;
    if (recording.initial.empty())
        return reading;
    const std::uint8_t initial = recording.initial.front();
    for (std::size_t button = 0; button < reading.pressed.size(); ++button)
        reading.pressed[button] = ((initial >> (button + 4)) & 1u) == 0;
    for (std::size_t axis = 0; axis < reading.axisMicros.size(); ++axis) {
        if (((initial >> axis) & 1u) == 0)
            reading.axisMicros[axis] = 0.0;
    }
    for (const Recording::Change& change : recording.changes) {
        if (change.channel != 0)
            continue;
        for (std::size_t axis = 0; axis < reading.axisMicros.size(); ++axis) {
            // The first fall counts; a bit high again later is noise.
            if (!reading.axisMicros[axis] && ((change.value >> axis) & 1u) == 0)
                reading.axisMicros[axis] = static_cast<double>(change.time.count()) / 1000.0;
        }
    }
    return reading;
}

double AxisPercent(double micros, const AxisCalibration& c) {
    double percent = 0.0;
    if (!(c.low < c.centre && c.centre < c.high)) {
        if (!(c.low < c.high))
            return 50.0;
        percent = 100.0 * (micros - c.low) / (c.high - c.low);
    } else if (micros <= c.centre) {
        percent = 50.0 * (micros - c.low) / (c.centre - c.low);
    } else {
        percent = 50.0 + 50.0 * (micros - c.centre) / (c.high - c.centre);
    }
    return std::clamp(percent, 0.0, 100.0);
}

void GamePortCalibrator::see(const GamePortReading& reading) {
    for (std::size_t axis = 0; axis < low_.size(); ++axis) {
        const std::optional<double> time = reading.axisMicros[axis];
        if (!time)
            continue;
        low_[axis] = low_[axis] ? std::min(*low_[axis], *time) : *time;
        high_[axis] = high_[axis] ? std::max(*high_[axis], *time) : *time;
    }
}

void GamePortCalibrator::takeCentre(const GamePortReading& reading) {
    see(reading);
    centre_ = reading.axisMicros;
}

AxisReadiness GamePortCalibrator::readiness(std::size_t axis) const {
    if (!low_[axis] || !high_[axis])
        return AxisReadiness::Absent;
    const double travel = *high_[axis] - *low_[axis];
    if (travel < kLeastCalibrationTravelMicros)
        return AxisReadiness::TooLittleTravel;
    // A centre within a tenth of the travel from an end was taken with the
    // stick still held out, and would squeeze one half of the square.
    const double margin = travel / 10.0;
    if (!centre_[axis] || *centre_[axis] < *low_[axis] + margin ||
        *centre_[axis] > *high_[axis] - margin)
        return AxisReadiness::NotAtCentre;
    return AxisReadiness::Ready;
}

AxisCalibration GamePortCalibrator::calibration(std::size_t axis) const {
    if (!low_[axis] || !high_[axis] || !centre_[axis] || !(*low_[axis] < *centre_[axis]) ||
        !(*centre_[axis] < *high_[axis]))
        return AxisCalibration{};
    return AxisCalibration{*low_[axis], *centre_[axis], *high_[axis]};
}

} // namespace portprov
