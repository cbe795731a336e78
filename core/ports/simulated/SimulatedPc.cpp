// SPDX-License-Identifier: MIT
#include "ports/simulated/SimulatedPc.h"

#include <utility>

namespace portprov {

namespace {

// With nothing attached every status input is pulled high; busy reads
// inverted as 0 and the three unused bits read 1.
constexpr std::uint8_t kStatusNothingAttached = 127;
// Bits 0 to 3 drive the control lines, bit 4 enables the interrupt and
// bit 5 turns the data lines to input; bits 6 and 7 do not exist and read 1.
constexpr std::uint8_t kControlStoredBits = 0b0011'1111;
constexpr std::uint8_t kControlMissingBits = 0b1100'0000;
constexpr std::uint8_t kControlDataInput = 0b0010'0000;
// Data lines read as input with nothing attached.
constexpr std::uint8_t kDataLinesNothingAttached = 255;

// A joystick at rest: the four buttons up (bits 4 to 7); bits 0 to 3 are
// high while the axis timers run.
constexpr std::uint8_t kGameButtonsUp = 0b1111'0000;
constexpr std::uint8_t kGameAxisTimers = 0b0000'1111;

// Nothing answers at the address: the bus floats high.
constexpr std::uint8_t kFloatingBus = 255;

std::chrono::nanoseconds SteadyNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

bool IsGamePort(std::uint16_t port) {
    return port >= SimulatedPc::kGamePortFirst && port <= SimulatedPc::kGamePortLast;
}

} // namespace

SimulatedPc::SimulatedPc(Clock clock) : clock_(clock ? std::move(clock) : Clock(SteadyNow)) {}

SimulatedPc::ParallelPort* SimulatedPc::parallelAt(std::uint16_t port, int& offset) {
    for (std::size_t i = 0; i < kParallelBases.size(); ++i) {
        const int distance = static_cast<int>(port) - static_cast<int>(kParallelBases[i]);
        if (distance >= kDataOffset && distance <= kControlOffset) {
            offset = distance;
            return &parallel_[i];
        }
    }
    return nullptr;
}

std::uint8_t SimulatedPc::read(std::uint16_t port) {
    int offset = 0;
    if (ParallelPort* parallel = parallelAt(port, offset)) {
        switch (offset) {
        case kDataOffset:
            return (parallel->control & kControlDataInput) != 0 ? kDataLinesNothingAttached
                                                                : parallel->dataLatch;
        case kStatusOffset:
            return kStatusNothingAttached;
        default:
            return static_cast<std::uint8_t>(parallel->control | kControlMissingBits);
        }
    }
    if (IsGamePort(port)) {
        if (axisTimersRunning_ && clock_() - axisTimersStarted_ >= kAxisTimerRun)
            axisTimersRunning_ = false;
        return axisTimersRunning_ ? static_cast<std::uint8_t>(kGameButtonsUp | kGameAxisTimers)
                                  : kGameButtonsUp;
    }
    return kFloatingBus;
}

void SimulatedPc::write(std::uint16_t port, std::uint8_t value) {
    int offset = 0;
    if (ParallelPort* parallel = parallelAt(port, offset)) {
        if (offset == kDataOffset)
            parallel->dataLatch = value;
        else if (offset == kControlOffset)
            parallel->control = static_cast<std::uint8_t>(value & kControlStoredBits);
        return;
    }
    if (IsGamePort(port)) {
        axisTimersStarted_ = clock_();
        axisTimersRunning_ = true;
    }
}

std::string SimulatedPc::describe() const {
    return "simulerad PC (--simulate)";
}

} // namespace portprov
