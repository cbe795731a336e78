// SPDX-License-Identifier: MIT
#include "generating/WriteSchedule.h"

#include "connector/Connector.h"
#include "pins/TogglePin.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/PortError.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace portprov {

namespace {

using std::chrono::nanoseconds;

bool DrivesRegister(const std::vector<int>& pins, Register reg) {
    return std::any_of(pins.begin(), pins.end(),
                       [reg](int pin) { return PinOf(pin) && PinOf(pin)->reg == reg; });
}

} // namespace

void RegisterValues::set(int pin, bool high) {
    const ConnectorPin line = *PinOf(pin);
    std::uint8_t& value = line.reg == Register::Data ? data : control;
    if (high != line.inverted)
        value = static_cast<std::uint8_t>(value | Bit(line.bit));
    else
        value = static_cast<std::uint8_t>(value & ~Bit(line.bit));
}

void RegisterValues::flip(int pin) {
    const ConnectorPin line = *PinOf(pin);
    std::uint8_t& value = line.reg == Register::Data ? data : control;
    value = static_cast<std::uint8_t>(value ^ Bit(line.bit));
}

WriteSchedule::WriteSchedule(const Waveform& waveform, std::uint16_t base, std::uint8_t data,
                             std::uint8_t control) {
    const std::vector<int> pins = WaveformPins(waveform);
    const bool drivesData = DrivesRegister(pins, Register::Data);
    const bool drivesControl = DrivesRegister(pins, Register::Control);
    // With bit 5 set the data lines are the device's to drive: the latch
    // would be written, but nothing would reach the pins.
    if (drivesData && (control & Bit(control_bit::kBidirectional)) != 0)
        throw PortError(PortErrorKind::RefusedInput, DataLinesInputMessage(base));
    const RegisterValues idle{data, control};
    const ScheduleShape shape = WaveformShape(waveform, idle);
    rate_ = shape.rate;
    if (rate_ > 0.0)
        repeat(shape, base, drivesData, drivesControl);
    else
        playFrom(shape.changes, idle, base);
    stepsPerPeriod_ = std::max<std::size_t>(1, steps_.size());
    if (rate_ > 0.0)
        period_ = ToFixed(1e9L / rate_);
}

void WriteSchedule::repeat(const ScheduleShape& shape, std::uint16_t base, bool drivesData,
                           bool drivesControl) {
    const auto controlPort = static_cast<std::uint16_t>(base + kControlOffset);
    // One step per driven register at a share of the period; the data latch
    // first, so that a strobe among the pins comes after the byte it strobes.
    for (const auto& [share, to] : shape.period) {
        const Fixed at = ToFixed(static_cast<long double>(share) * 1e9L / rate_);
        bool first = share == 0.0;
        if (drivesData) {
            steps_.push_back({at, base, to.data, first});
            first = false;
        }
        if (drivesControl)
            steps_.push_back({at, controlPort, to.control, first});
    }
    total_ = shape.periods * steps_.size();
    shortestStep_ = shape.shortestStep;
}

WriteSchedule::Fixed WriteSchedule::ToFixed(long double ns) {
    return static_cast<Fixed>(std::ldexp(ns, kFixedShift) + 0.5L);
}

void WriteSchedule::playFrom(std::span<const PinChange> changes, RegisterValues now,
                             std::uint16_t base) {
    const auto controlPort = static_cast<std::uint16_t>(base + kControlOffset);
    std::optional<nanoseconds> shortest;
    std::optional<nanoseconds> previous;
    for (std::size_t i = 0; i < changes.size();) {
        // All the changes at one time make one moment: each register written
        // once, and only when its value changes.
        const nanoseconds time = changes[i].time;
        RegisterValues next = now;
        for (; i < changes.size() && changes[i].time == time; ++i)
            next.set(changes[i].pin, changes[i].high);
        const Fixed at = static_cast<Fixed>(time.count()) << kFixedShift;
        bool first = true;
        if (next.data != now.data) {
            steps_.push_back({at, base, next.data, first});
            first = false;
        }
        if (next.control != now.control)
            steps_.push_back({at, controlPort, next.control, first});
        if (next.data == now.data && next.control == now.control)
            continue;
        if (previous && (!shortest || time - *previous < *shortest))
            shortest = time - *previous;
        previous = time;
        now = next;
    }
    total_ = steps_.size();
    shortestStep_ = shortest ? *shortest : std::chrono::milliseconds(10);
}

TimedWrite WriteSchedule::next() const {
    const Step& step = steps_[index_];
    const Fixed due = periodStart_ + step.at + (Fixed{1} << (kFixedShift - 1));
    return {nanoseconds(static_cast<std::int64_t>(due >> kFixedShift)), step.port, step.value};
}

} // namespace portprov
