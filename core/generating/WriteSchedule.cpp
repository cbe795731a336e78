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

// The two registers a generator drives, as they are to be written next.
struct Registers {
    std::uint8_t data;
    std::uint8_t control;

    // Puts the pin at a level on the connector: through its register bit,
    // flipped where the port's inverter sits between the bit and the pin
    // (strobe, auto feed, select in), so that a level asked for is the level
    // measured at the pin.
    void set(int pin, bool high) {
        const ConnectorPin line = *PinOf(pin);
        std::uint8_t& value = line.reg == Register::Data ? data : control;
        if (high != line.inverted)
            value = static_cast<std::uint8_t>(value | Bit(line.bit));
        else
            value = static_cast<std::uint8_t>(value & ~Bit(line.bit));
    }
    void flip(int pin) {
        const ConnectorPin line = *PinOf(pin);
        std::uint8_t& value = line.reg == Register::Data ? data : control;
        value = static_cast<std::uint8_t>(value ^ Bit(line.bit));
    }
};

bool DrivesRegister(const std::vector<int>& pins, Register reg) {
    return std::any_of(pins.begin(), pins.end(),
                       [reg](int pin) { return PinOf(pin) && PinOf(pin)->reg == reg; });
}

} // namespace

WriteSchedule::WriteSchedule(const Waveform& waveform, std::uint16_t base, std::uint8_t data,
                             std::uint8_t control) {
    const std::vector<int> pins = WaveformPins(waveform);
    const bool drivesData = DrivesRegister(pins, Register::Data);
    const bool drivesControl = DrivesRegister(pins, Register::Control);
    // With bit 5 set the data lines are the device's to drive: the latch
    // would be written, but nothing would reach the pins.
    if (drivesData && (control & Bit(control_bit::kBidirectional)) != 0)
        throw PortError(PortErrorKind::RefusedInput, DataLinesInputMessage(base));
    const auto controlPort = static_cast<std::uint16_t>(base + kControlOffset);
    // One step per driven register at a share of the period; the data latch
    // first, so that a strobe among the pins comes after the byte it strobes.
    const auto addSteps = [&](double share, const Registers& to) {
        const Fixed at = ToFixed(static_cast<long double>(share) * 1e9L / rate_);
        bool first = share == 0.0;
        if (drivesData) {
            steps_.push_back({at, base, to.data, first});
            first = false;
        }
        if (drivesControl)
            steps_.push_back({at, controlPort, to.control, first});
    };
    const Registers saved{data, control};
    if (const auto* square = std::get_if<SquareWave>(&waveform)) {
        Registers high = saved;
        Registers low = saved;
        for (const int pin : pins) {
            high.set(pin, true);
            low.set(pin, false);
        }
        const double duty = square->duty / 100.0;
        rate_ = square->hz;
        const double periodNs = 1e9 / rate_;
        addSteps(0.0, high);
        addSteps(duty, low);
        // The periods that begin before the duration ends.
        const double periods =
            std::ceil(static_cast<double>(square->duration.count()) / periodNs - 1e-9);
        total_ = static_cast<std::uint64_t>(std::max(1.0, periods)) * steps_.size();
        shortestStep_ = nanoseconds(std::llround(std::min(duty, 1.0 - duty) * periodNs));
    } else if (const auto* pulses = std::get_if<PulseTrain>(&waveform)) {
        Registers active = saved;
        for (const int pin : pins)
            active.flip(pin);
        rate_ = pulses->hz;
        const double periodNs = 1e9 / rate_;
        addSteps(0.0, active);
        addSteps(0.5, saved);
        total_ = pulses->count * steps_.size();
        shortestStep_ = nanoseconds(std::llround(periodNs / 2.0));
    } else {
        playFrom(std::get<PlayedSequence>(waveform), saved.data, saved.control, base);
    }
    stepsPerPeriod_ = std::max<std::size_t>(1, steps_.size());
    if (rate_ > 0.0)
        period_ = ToFixed(1e9L / rate_);
}

WriteSchedule::Fixed WriteSchedule::ToFixed(long double ns) {
    return static_cast<Fixed>(std::ldexp(ns, kFixedShift) + 0.5L);
}

void WriteSchedule::playFrom(const PlayedSequence& played, std::uint8_t data, std::uint8_t control,
                             std::uint16_t base) {
    const auto controlPort = static_cast<std::uint16_t>(base + kControlOffset);
    Registers now{data, control};
    std::optional<nanoseconds> shortest;
    std::optional<nanoseconds> previous;
    const std::vector<PinChange>& changes = played.changes;
    for (std::size_t i = 0; i < changes.size();) {
        // All the changes at one time make one moment: each register written
        // once, and only when its value changes.
        const nanoseconds time = changes[i].time;
        Registers next = now;
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
