// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Waveform.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace portprov {

// One register write of a signal, due at a time counted from its start.
struct TimedWrite {
    std::chrono::nanoseconds due{};
    std::uint16_t port = 0;
    std::uint8_t value = 0;
    bool operator==(const TimedWrite&) const = default;
};

// The two registers a generator drives, as they are to be written.
struct RegisterValues {
    std::uint8_t data = 0;
    std::uint8_t control = 0;

    // Puts the pin at a level on the connector: through its register bit,
    // flipped where the port's inverter sits between the bit and the pin
    // (strobe, auto feed, select in), so that a level asked for is the level
    // measured at the pin.
    void set(int pin, bool high);
    // Turns the pin to its other level.
    void flip(int pin);
};

// What a kind of waveform asks of its schedule (its Shape). Either one period
// repeated `periods` times at `rate` periods a second: the registers' values
// at shares of the period, from 0, each driven register written at each; or,
// with no rate, `changes` played once at their times, all those at one time
// making one moment, a register written only when its value changes.
struct ScheduleShape {
    double rate = 0.0;
    std::vector<std::pair<double, RegisterValues>> period;
    std::uint64_t periods = 0;
    // The shortest time between two writes of a period that are not due together.
    std::chrono::nanoseconds shortestStep{};
    std::span<const PinChange> changes;
};

// The shape the waveform asks for (each kind's own, in Waveform.cpp), from
// the values `idle` the registers hold when it starts.
ScheduleShape WaveformShape(const Waveform& waveform, const RegisterValues& idle);

// The register writes that make a waveform on the port at `base`, one after
// the other, made up as they are asked for (a billion pulses take no memory).
// Built from the values the data latch and the control register hold when the
// signal starts: the bits the waveform does not drive keep them, and a pin's
// level is turned into its bit through the connector's inverters.
class WriteSchedule {
public:
    // Throws PortError (RefusedInput, the window's reason) when the waveform
    // drives a data pin while bit 5 of `control` turns the data lines to
    // input. Checks no rate or count: WaveformRefusal does, for what a user
    // asks (a benchmark asks for more).
    WriteSchedule(const Waveform& waveform, std::uint16_t base, std::uint8_t data,
                  std::uint8_t control);

    bool done() const { return next_ >= total_; }
    // The next write; only while not done().
    TimedWrite next() const;
    void advance() {
        ++next_;
        if (++index_ == stepsPerPeriod_) {
            index_ = 0;
            periodStart_ += period_;
        }
    }
    // Writes made up so far and in all.
    std::uint64_t position() const { return next_; }
    std::uint64_t total() const { return total_; }
    // Whether the next write begins a period (square wave, pulses) or a new
    // time (played rows).
    bool beginsPeriod() const { return steps_[index_].beginsPeriod; }
    // A tenth of the shortest time between two writes that are not due
    // together: a write later than this has bent the wave's shape.
    std::chrono::nanoseconds lateAfter() const { return shortestStep_ / 10; }
    // That shortest time itself.
    std::chrono::nanoseconds shortestStep() const { return shortestStep_; }
    // The periods a second of a square wave or pulses; 0 for a played sequence.
    double rate() const { return rate_; }

private:
    // Times in 2^-32 nanoseconds, added up in integers: a period's start is
    // the sum of the periods before it, which no rounding moves by more than
    // a nanosecond in a billion periods, and which costs a write no floating
    // point (dear where the processor is emulated).
    __extension__ typedef unsigned __int128 Fixed;
    static constexpr int kFixedShift = 32;
    static Fixed ToFixed(long double ns);

    void repeat(const ScheduleShape& shape, std::uint16_t base, bool drivesData,
                bool drivesControl);
    void playFrom(std::span<const PinChange> changes, RegisterValues now, std::uint16_t base);

    // One period's writes, each at a share of the period (periodic), or the
    // played sequence's writes at their times (once).
    struct Step {
        Fixed at; // from the period's start, or from the start when played
        std::uint16_t port;
        std::uint8_t value;
        bool beginsPeriod;
    };
    std::vector<Step> steps_;
    Fixed period_ = 0;      // 0: played once
    Fixed periodStart_ = 0; // the next write's period's
    double rate_ = 0.0;
    std::size_t stepsPerPeriod_ = 1;
    std::uint64_t total_ = 0;
    std::uint64_t next_ = 0;
    std::size_t index_ = 0; // the next write's step in its period
    std::chrono::nanoseconds shortestStep_{};
};

} // namespace portprov
