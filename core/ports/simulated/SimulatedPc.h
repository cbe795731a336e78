// SPDX-License-Identifier: MIT
#pragma once

#include "connector/GamePort.h"
#include "connector/LoopbackPlug.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/PortBackend.h"
#include "ports/simulated/PinFault.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace portprov {

// A PC held in memory: three parallel ports with nothing attached (or a
// loopback plug or a printer in the first), a game port with two joysticks
// whose buttons are up, and a floating bus everywhere else. The parallel
// ports are one of each kind: 888 can do everything (SPP, PS/2, EPP and ECP,
// with its extended control register at 1914), 632 is a PS/2 port (its data
// lines turn round, its EPP time-out bit stays set) and 956 a plain SPP port
// (control bit 5 is kept but leaves its data lines driven).
class SimulatedPc : public PortBackend {
public:
    using Clock = std::function<std::chrono::nanoseconds()>;

    // Bases of the simulated parallel ports.
    static constexpr std::array<std::uint16_t, 3> kParallelBases = kUsualParallelBases;
    // The game port answers at 512 to 519.
    static constexpr std::uint16_t kGamePortFirst = portprov::kGamePortFirst;
    static constexpr std::uint16_t kGamePortLast = portprov::kGamePortLast;
    // A write to the game port starts its four axis timers (bits 0 to 3: A X,
    // A Y, B X, B Y). Each stays high for 24.2 µs plus 0.011 µs per ohm of
    // its axis's potentiometer, 0 to 100 kΩ over the stick's travel.
    static constexpr std::chrono::nanoseconds kAxisTimerBase{24'200};
    static constexpr std::chrono::nanoseconds kAxisTimerPerPercent{11'000}; // 1 kΩ
    // How long the axis timers run with a stick at its centre (50 kΩ).
    static constexpr std::chrono::nanoseconds kAxisTimerRun =
        kAxisTimerBase + kAxisTimerPerPercent * 50;

    // The printer's answer to a strobe: Busy goes high at once, Ack goes low
    // kPrinterAckStart after the strobe for kPrinterAckLength, and Busy falls
    // kPrinterBusyLength after the strobe, once the Ack pulse is over.
    static constexpr std::chrono::nanoseconds kPrinterAckStart{4'000};
    static constexpr std::chrono::nanoseconds kPrinterAckLength{5'000};
    static constexpr std::chrono::nanoseconds kPrinterBusyLength{12'000};

    // clock: monotonic time, injected by tests; steady_clock by default.
    explicit SimulatedPc(Clock clock = {});

    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
    std::string describe() const override;
    // read() called directly, without the virtual call.
    HeldReader heldReader(std::span<const std::uint16_t> ports) override;
    HeldWriter heldWriter(std::span<const std::uint16_t> ports) override;

    // Plugs a loopback plug into the port at 888: each of its wires joins an
    // output pin to a status input pin, at the pins' levels.
    void insertPlug(LoopbackPlug plug);
    // Breaks the plug's wire between two pins (either order): its input is
    // then pulled high, as an unconnected input is. False when the plug has
    // no such wire.
    bool breakWire(int pinA, int pinB);
    // Gives an input pin of the port at 888 a fault, in place of any it had;
    // it holds with or without a plug. False for a pin that is no input.
    bool addFault(const PinFault& fault);

    // Plugs a printer into the port at 888 in place of a loopback plug: it is
    // online with paper, and takes the byte on the data lines at each strobe
    // it is not busy for (control bit 0 set: pin 1 goes low).
    void attachPrinter();
    // The bytes the printer has taken, in order.
    const std::vector<std::uint8_t>& printedBytes() const { return printed_; }

    // Moves joystick A or B to x and y per cent of its travel (0 to 100;
    // the centre, 50, at start).
    void setJoystickA(double xPercent, double yPercent);
    void setJoystickB(double xPercent, double yPercent);

private:
    struct ParallelPort {
        std::uint8_t dataLatch = 0;
        std::uint8_t control = 0;
        bool bidirectional = true; // control bit 5 releases the data lines
        // Status bit 0, which every port reads as 1 at power-on. An EPP port
        // clears it when 1 is written to it (as many do); the others cannot.
        bool eppTimeout = true;
        bool epp = false;
        // The ECR's writable bits 2 to 7, on an ECP port.
        std::optional<std::uint8_t> ecr;
    };
    struct PlugWire {
        int outputPin;
        int inputPin;
        bool broken = false;
    };
    ParallelPort* parallelAt(std::uint16_t port, int& offset);
    ParallelPort* ecpPortWithEcrAt(std::uint16_t port);
    std::uint8_t statusOf(const ParallelPort& port) const;
    std::uint8_t withFaults(std::uint8_t status);

    std::uint8_t printerStatus() const;
    void writeControl(ParallelPort& port, std::uint8_t value);

    Clock clock_;
    std::array<ParallelPort, 3> parallel_{};        // one of each kind: see the constructor
    std::vector<PlugWire> plug_;                    // in the port at 888; empty without a plug
    std::vector<PinFault> faults_;                  // of the port at 888, one a pin
    std::uint64_t faultState_ = 0x5eed'0f'fa'17ULL; // the wrong reads' generator
    bool printer_ = false;                          // in the port at 888
    std::optional<std::chrono::nanoseconds> lastStrobe_;
    std::vector<std::uint8_t> printed_;
    std::array<double, 4> axisPercent_{50.0, 50.0, 50.0, 50.0};
    std::chrono::nanoseconds axisTimersStarted_{};
    bool axisTimersRunning_ = false;
};

} // namespace portprov
