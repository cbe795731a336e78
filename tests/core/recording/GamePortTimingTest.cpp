// SPDX-License-Identifier: MIT
#include "recording/GamePortTiming.h"

#include <gtest/gtest.h>

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

struct ReadingCase {
    const char* name;
    Recording recording;
    std::array<std::optional<double>, 4> micros;
    std::array<bool, 4> pressed;
};

TEST(GamePortTiming, AxisTimesAreEachBitsFirstFallAndButtonsReadLow) {
    const std::vector<ReadingCase> cases{
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
         {std::nullopt, 0.0, 300.0, std::nullopt},
         {false, false, true, true}},
        {"changes of another channel are not the game port's",
         [] {
             Recording r = Of513(0xFF, {{nanoseconds(50'000), 1, 0x00}});
             r.ports = {513, 889};
             r.initial = {0xFF, 0xFF};
             return r;
         }(),
         {std::nullopt, std::nullopt, std::nullopt, std::nullopt},
         {false, false, false, false}},
    };
    for (const ReadingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const GamePortReading reading = ReadGamePort(c.recording);
        for (std::size_t axis = 0; axis < 4; ++axis) {
            ASSERT_EQ(reading.axisMicros[axis].has_value(), c.micros[axis].has_value()) << axis;
            if (c.micros[axis]) {
                EXPECT_DOUBLE_EQ(*reading.axisMicros[axis], *c.micros[axis]) << axis;
            }
        }
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
        {24.2, standard, 0.0},      {574.2, standard, 50.0},  {1124.2, standard, 100.0},
        {299.2, standard, 25.0},    {0.0, standard, 0.0},     {5000.0, standard, 100.0},
        {200.0, offCentre, 25.0},   {300.0, offCentre, 50.0}, {600.0, offCentre, 75.0},
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
    GamePortCalibrator calibrator;
    calibrator.see(reading(400.0, 400.0));
    calibrator.see(reading(200.0, std::nullopt));
    calibrator.see(reading(800.0, 900.0));
    calibrator.see(reading(500.0, 300.0));
    // Before the centre is taken the defaults stand.
    EXPECT_DOUBLE_EQ(calibrator.calibration(0).high, AxisCalibration{}.high);
    calibrator.takeCentre(reading(450.0, 600.0));

    const AxisCalibration x = calibrator.calibration(0);
    EXPECT_DOUBLE_EQ(x.low, 200.0);
    EXPECT_DOUBLE_EQ(x.centre, 450.0);
    EXPECT_DOUBLE_EQ(x.high, 800.0);
    const AxisCalibration y = calibrator.calibration(1);
    EXPECT_DOUBLE_EQ(y.low, 300.0);
    EXPECT_DOUBLE_EQ(y.centre, 600.0);
    EXPECT_DOUBLE_EQ(y.high, 900.0);
    // An axis that never moved, or never answered, keeps the defaults.
    EXPECT_DOUBLE_EQ(calibrator.calibration(2).low, AxisCalibration{}.low);
    EXPECT_DOUBLE_EQ(calibrator.calibration(3).high, AxisCalibration{}.high);

    // A centre at an extreme leaves one half without travel: the defaults.
    GamePortCalibrator atTheEdge;
    atTheEdge.see(reading(100.0, 300.0));
    atTheEdge.takeCentre(reading(500.0, 100.0));
    EXPECT_DOUBLE_EQ(atTheEdge.calibration(0).high, AxisCalibration{}.high);
    EXPECT_DOUBLE_EQ(atTheEdge.calibration(1).low, AxisCalibration{}.low);
}

} // namespace
} // namespace portprov
