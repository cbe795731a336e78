// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"

#include <array>
#include <optional>

namespace portprov {

// What one start of the game port's axis timers showed: each axis's time
// (A X, A Y, B X, B Y) and each button (A1, A2, B1, B2).
struct GamePortReading {
    // Microseconds from time 0 to the fall of the axis's bit; none when the
    // bit was still high at the end (no stick on that axis, or a recording
    // too short for it). An axis already low at time 0 reads 0.
    std::array<std::optional<double>, 4> axisMicros{};
    // A button's bit is 0 while it is held; read at time 0.
    std::array<bool, 4> pressed{};
};

// The reading in a recording of the game port alone (channel 0, bits 0 to 3
// the axes, 4 to 7 the buttons) started by a write to it.
GamePortReading ReadGamePort(const Recording& recording);

// The times of one axis at its two ends and its centre, in microseconds.
struct AxisCalibration {
    double low = 24.2;
    double centre = 574.2;
    double high = 1124.2;
};

// Where an axis stands, 0 to 100 per cent of its travel: low to centre gives
// 0 to 50, centre to high 50 to 100, so that a stick whose centre sits off
// the middle of its times still reads 50 at rest. Outside the ends it stays
// at 0 or 100; a calibration whose three times are not in order maps in a
// straight line from low to high.
double AxisPercent(double micros, const AxisCalibration& calibration);

// Whether an axis has shown enough to be calibrated once the centre is taken.
enum class AxisReadiness {
    Ready,
    Absent,          // never answered: no stick on it, left as it is
    TooLittleTravel, // its extremes lie too close for a calibration to mean much
    NotAtCentre,     // the centre taken lies at or near an end, or did not answer
};

// The least travel between the extremes seen: a quarter of a 100 kΩ stick's
// 1100 µs. With less, a few microseconds of noise would throw the cross from
// one edge of its square to the other.
constexpr double kLeastCalibrationTravelMicros = 275.0;

// Follows the extremes of the four axes while the user moves the sticks to
// their corners, and takes the centre when asked.
class GamePortCalibrator {
public:
    void see(const GamePortReading& reading);
    void takeCentre(const GamePortReading& reading);
    AxisReadiness readiness(std::size_t axis) const;
    // The calibration of an axis; the default one where too little was seen
    // (no two different extremes, or no centre between them).
    AxisCalibration calibration(std::size_t axis) const;

private:
    std::array<std::optional<double>, 4> low_{};
    std::array<std::optional<double>, 4> high_{};
    std::array<std::optional<double>, 4> centre_{};
};

} // namespace portprov
