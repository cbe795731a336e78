// SPDX-License-Identifier: MIT
#include "recording/GamePortTiming.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <optional>
#include <vector>

namespace portprov {
namespace {

using std::chrono::nanoseconds;

Recording Of513(std::uint8_t initial, std::vector<Recording::Change> changes) {
    Recording r;
    r.ports = {513};
    r.initial = {initial};
    r.changes = std::move(changes);
    r.length = nanoseconds(1'500'000);
    return r;
}

TEST(GamePortTiming, AxisTimesAreEachBitsFirstFallAndButtonsReadLow) {
    constexpr double kNone = -1.0; // the bit never fell
    const struct {
        const char* name;
        Recording recording;
        std::array<double, 4> micros;
        std::array<bool, 4> pressed;
    } cases[] = {
        {"axes fall one by one",
         Of513(0xFF, {{nanoseconds(24'200), 0, 0xFE},
                      {nanoseconds(574'200), 0, 0xF4},
                      {nanoseconds(1'124'200), 0, 0xF0}}),
         {24.2, 574.2, 1124.2, 574.2},
         {false, false, false, false}},
        {"a bit high again later keeps its first fall",
         Of513(0xFF, {{nanoseconds(100'000), 0, 0xF0}, {nanoseconds(200'000), 0, 0xF1}}),
         {100.0, 100.0, 100.0, 100.0},
         {false, false, false, false}},
        {"an axis that never falls has no time; one low at the start reads 0",
         Of513(0x3D, {{nanoseconds(300'000), 0, 0x39}}),
         {kNone, 0.0, 300.0, kNone},
         {false, false, true, true}},
        {"changes of another channel are not the game port's",
         Of513(0xFF, {{nanoseconds(50'000), 1, 0x00}}),
         {kNone, kNone, kNone, kNone},
         {false, false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const GamePortReading reading = ReadGamePort(c.recording);
        for (std::size_t axis = 0; axis < 4; ++axis)
            EXPECT_DOUBLE_EQ(reading.axisMicros[axis].value_or(kNone), c.micros[axis]) << axis;
        EXPECT_EQ(reading.pressed, c.pressed);
    }
}

TEST(GamePortTiming, AxisPercentMapsEachHalfOfTheTravelAndStaysInside) {
    const AxisCalibration standard{};
    const AxisCalibration offCentre{100.0, 300.0, 900.0};
    const struct {
        double micros;
        AxisCalibration calibration;
        double percent;
    } cases[] = {
        // clang-format off
        {24.2, standard, 0.0},    {574.2, standard, 50.0},  {1124.2, standard, 100.0},
        {299.2, standard, 25.0},  {0.0, standard, 0.0},     {5000.0, standard, 100.0},
        {200.0, offCentre, 25.0}, {300.0, offCentre, 50.0}, {600.0, offCentre, 75.0},
        // clang-format on
        // Centre outside the ends: a straight line from low to high.
        {500.0, {0.0, 2000.0, 1000.0}, 50.0},
        // No travel at all: the middle.
        {500.0, {400.0, 400.0, 400.0}, 50.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(AxisPercent(c.micros, c.calibration), c.percent, 1e-9) << c.micros;
}

TEST(GamePortTiming, CalibratorFollowsTheExtremesAndTakesTheCentreWhenAsked) {
    auto reading = [](double ax, std::optional<double> ay) {
        GamePortReading r;
        r.axisMicros = {ax, ay, 574.2, std::nullopt};
        return r;
    };
    auto is = [](const AxisCalibration& c, double low, double centre, double high) {
        return c.low == low && c.centre == centre && c.high == high;
    };
    const AxisCalibration standard{};
    GamePortCalibrator calibrator;
    for (const auto& [x, y] :
         {std::pair{400.0, 400.0}, {200.0, -1.0}, {800.0, 900.0}, {500.0, 300.0}})
        calibrator.see(reading(x, y < 0 ? std::nullopt : std::optional(y)));
    // Before the centre is taken the defaults stand.
    EXPECT_TRUE(is(calibrator.calibration(0), standard.low, standard.centre, standard.high));
    calibrator.takeCentre(reading(450.0, 600.0));
    EXPECT_TRUE(is(calibrator.calibration(0), 200.0, 450.0, 800.0));
    EXPECT_TRUE(is(calibrator.calibration(1), 300.0, 600.0, 900.0));
    // An axis that never moved or never answered, or a centre at an extreme
    // (one half without travel), keeps the defaults.
    for (const std::size_t axis : {2u, 3u})
        EXPECT_TRUE(is(calibrator.calibration(axis), standard.low, standard.centre, standard.high));
    GamePortCalibrator atTheEdge;
    atTheEdge.see(reading(100.0, 300.0));
    atTheEdge.takeCentre(reading(500.0, 100.0));
    for (const std::size_t axis : {0u, 1u})
        EXPECT_TRUE(is(atTheEdge.calibration(axis), standard.low, standard.centre, standard.high));
}

TEST(GamePortTiming, AnAxisIsReadyOnlyAfterRealTravelAndWithItsCentreInside) {
    constexpr double kNone = -1.0;
    const struct {
        const char* name;
        std::vector<double> seen; // one axis's times before the centre
        double centre;
        AxisReadiness readiness;
    } cases[] = {
        {"never answered", {kNone, kNone}, kNone, AxisReadiness::Absent},
        {"Mitten at once: only the centre seen", {}, 574.2, AxisReadiness::TooLittleTravel},
        {"a tremble around the middle", {560.0, 590.0}, 574.2, AxisReadiness::TooLittleTravel},
        {"just too little travel", {400.0, 674.9}, 574.2, AxisReadiness::TooLittleTravel},
        {"end to end, centre inside", {24.2, 1124.2}, 574.2, AxisReadiness::Ready},
        {"a quarter of the travel is enough", {400.0, 675.0}, 537.0, AxisReadiness::Ready},
        {"centre taken with the stick held out",
         {24.2, 1124.2},
         1100.0,
         AxisReadiness::NotAtCentre},
        {"centre taken with the stick held to the low end",
         {100.0, 1100.0},
         199.0,
         AxisReadiness::NotAtCentre},
        {"a tenth of the travel above the low end is enough",
         {100.0, 1100.0},
         200.0,
         AxisReadiness::Ready},
        {"centre did not answer", {24.2, 1124.2}, kNone, AxisReadiness::NotAtCentre},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto reading = [](double micros) {
            GamePortReading r;
            if (micros >= 0)
                r.axisMicros[0] = micros;
            return r;
        };
        GamePortCalibrator calibrator;
        for (const double micros : c.seen)
            calibrator.see(reading(micros));
        calibrator.takeCentre(reading(c.centre));
        EXPECT_EQ(calibrator.readiness(0), c.readiness);
    }
}

} // namespace
} // namespace portprov
