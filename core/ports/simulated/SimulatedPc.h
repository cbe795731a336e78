// SPDX-License-Identifier: MIT
#pragma once

#include "loopback/LoopbackPlug.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/PortBackend.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace portprov {

// A PC held in memory: three parallel ports with nothing attached (or a
// loopback plug in the first), a game port with a joystick at rest, and a
// floating bus everywhere else.
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

    // Plugs a loopback plug into the port at 888: each of its wires joins an
    // output pin to a status input pin, at the pins' levels.
    void insertPlug(LoopbackPlug plug);
    // Breaks the plug's wire between two pins (either order): its input is
    // then pulled high, as an unconnected input is. False when the plug has
    // no such wire.
    bool breakWire(int pinA, int pinB);

private:
    struct ParallelPort {
        std::uint8_t dataLatch = 0;
        std::uint8_t control = 0;
    };
    struct PlugWire {
        int outputPin;
        int inputPin;
        bool broken = false;
    };
    ParallelPort* parallelAt(std::uint16_t port, int& offset);
    std::uint8_t statusOf(const ParallelPort& port) const;

    Clock clock_;
    std::array<ParallelPort, 3> parallel_{};
    std::vector<PlugWire> plug_; // in the port at 888; empty without a plug
    std::chrono::nanoseconds axisTimersStarted_{};
    bool axisTimersRunning_ = false;
};

} // namespace portprov
