// SPDX-License-Identifier: MIT
#pragma once

#include "ports/ParallelPortRegisters.h"
#include "ports/PortBackend.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>

namespace portprov {

// A PC held in memory: three parallel ports with nothing attached, a game
// port with a joystick at rest, and a floating bus everywhere else.
class SimulatedPc : public PortBackend {
public:
    using Clock = std::function<std::chrono::nanoseconds()>;

    // Bases of the simulated parallel ports.
    static constexpr std::array<std::uint16_t, 3> kParallelBases = kUsualParallelBases;
    // The game port answers at 512 to 519.
    static constexpr std::uint16_t kGamePortFirst = 512;
    static constexpr std::uint16_t kGamePortLast = 519;
    // How long the game port's axis timers run after a write.
    static constexpr std::chrono::nanoseconds kAxisTimerRun{600'000};

    // clock: monotonic time, injected by tests; steady_clock by default.
    explicit SimulatedPc(Clock clock = {});

    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
    std::string describe() const override;

private:
    struct ParallelPort {
        std::uint8_t dataLatch = 0;
        std::uint8_t control = 0;
    };
    ParallelPort* parallelAt(std::uint16_t port, int& offset);

    Clock clock_;
    std::array<ParallelPort, 3> parallel_{};
    std::chrono::nanoseconds axisTimersStarted_{};
    bool axisTimersRunning_ = false;
};

} // namespace portprov
