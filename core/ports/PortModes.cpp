// SPDX-License-Identifier: MIT
#include "ports/PortModes.h"

#include "connector/Connector.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/PortIo.h"
#include "ports/RemoteSequences.h"
#include "ports/RestoringSequence.h"
#include "ports/SavedRegisters.h"

#include <string>

namespace portprov {

namespace {

constexpr std::uint8_t kDataInput = Bit(control_bit::kBidirectional);
constexpr std::uint8_t kAutoFeed = Bit(control_bit::kAutoFeed);
// The control bits the probe keeps as the user had them while it tests the
// data lines and the status register: the output lines and the interrupt.
constexpr std::uint8_t kKeptControl = kControlOutputLines | Bit(control_bit::kInterruptEnable);
// Each data line once high and once low.
constexpr std::array<std::uint8_t, 2> kPatterns{0x55, 0xAA};

// The ECR test runs with init and select in set; auto feed (bit 1) is then
// turned over to see whether the ECR's address is only the control register
// again, on a card that decodes ten address bits.
constexpr std::uint8_t kEcrTestControl = Bit(control_bit::kInit) | Bit(control_bit::kSelectIn);
// ECR bits 0 and 1 tell the FIFO's state and cannot be written: 01 is empty.
constexpr std::uint8_t kEcrFifoBits = 0b0000'0011;
constexpr std::uint8_t kEcrFifoEmpty = 0b0000'0001;
// Mode 001 (PS/2, the data lines may turn round), with the error and service
// interrupts off; with the FIFO empty it reads back as 0x35.
constexpr std::uint8_t kEcrPs2Mode = 0x34;
// Mode 100 (EPP), the same interrupts off: an ECP port's EPP time-out bit is
// looked at in the mode that uses it.
constexpr std::uint8_t kEcrEppMode = 0x94;

constexpr std::uint8_t kEppTimeout = Bit(status_bit::kEppTimeout);

std::size_t IndexOf(PortMode mode) {
    return static_cast<std::size_t>(mode);
}

// The port operations, with the address each last tried: the one the access
// path did not reach when it refuses as NotCovered.
struct Access {
    std::int32_t last = 0;

    std::uint8_t in(std::int32_t port) {
        last = port;
        return DlPortReadPortUchar(port);
    }
    void out(std::int32_t port, std::uint8_t value) {
        last = port;
        DlPortWritePortUchar(port, value);
    }
};

// Runs one mode's test and notes its answer; an address the access path does
// not reach leaves the mode Unknown. Any other failure ends the probe.
template <typename Test>
ModeAnswer Decide(PortModes& modes, PortMode mode, const Access& access, Test test) {
    const std::size_t i = IndexOf(mode);
    try {
        modes.answers[i] = test() ? ModeAnswer::Yes : ModeAnswer::No;
    } catch (const PortError& error) {
        if (error.kind() != PortErrorKind::NotCovered)
            throw;
        modes.answers[i] = ModeAnswer::Unknown;
        modes.unreached[i] = static_cast<std::uint16_t>(access.last);
    }
    return modes.answers[i];
}

// Without a port, or out of the access path's reach, every mode is as SPP is.
void EveryModeAsSpp(PortModes& modes) {
    modes.answers.fill(modes.of(PortMode::Spp));
    modes.unreached.fill(modes.unreached[IndexOf(PortMode::Spp)]);
}

// The tests in turn, the port's registers saved. Each test sets the control
// register it needs first, so that one left midway by an unreached address
// does not change the next.
void RunModeTests(PortModes& modes, SavedRegisters& saved, Access& access) {
    const std::int32_t base = modes.base;
    const std::int32_t data = base + kDataOffset;
    const std::int32_t status = base + kStatusOffset;
    const std::int32_t control = base + kControlOffset;
    const std::int32_t ecr = base + kEcrOffset;
    const auto idle = static_cast<std::uint8_t>(saved.control() & kKeptControl);
    // True only when every pattern reads back: a line stuck low or high
    // fails one of them. Each pattern is written even after one has failed,
    // so that the probe makes the same accesses on every port.
    const auto holdsPatterns = [&](std::uint8_t controlValue) {
        access.out(control, controlValue);
        bool held = true;
        for (const std::uint8_t pattern : kPatterns) {
            access.out(data, pattern);
            if (access.in(data) != pattern)
                held = false;
        }
        return held;
    };

    // The ECR first: an ECP port left in one of its FIFO modes takes the data
    // register's bytes into the FIFO and would fail the SPP test. The test
    // writes no more than the control register until an ECR has answered.
    const ModeAnswer ecp = Decide(modes, PortMode::Ecp, access, [&] {
        if (!IsValidPort(ecr))
            return false;
        access.out(control, kEcrTestControl);
        std::uint8_t found = access.in(ecr);
        if ((found & kEcrFifoBits) == (kEcrTestControl & kEcrFifoBits)) {
            access.out(control, kEcrTestControl ^ kAutoFeed);
            const std::uint8_t controlNow = access.in(control);
            found = access.in(ecr);
            if ((found & kAutoFeed) == (controlNow & kAutoFeed))
                return false; // the control register, seen at another address
        }
        if ((found & kEcrFifoBits) != kEcrFifoEmpty)
            return false;
        saved.keep(ecr, found);
        access.out(ecr, kEcrPs2Mode);
        return access.in(ecr) == (kEcrPs2Mode | kEcrFifoEmpty);
    });

    // A latch that holds what is written: something answers at the base. A
    // floating bus reads 255 whatever is written; nothing more is tried there.
    // An ECP port is in PS/2 mode now, where the data register is its latch.
    const ModeAnswer spp =
        Decide(modes, PortMode::Spp, access, [&] { return holdsPatterns(idle); });
    if (spp != ModeAnswer::Yes) {
        EveryModeAsSpp(modes);
        return;
    }

    // In an ECP port's plain SPP mode control bit 5 would do nothing: its
    // PS/2 mode lets the lines go.
    Decide(modes, PortMode::Ps2, access, [&] {
        const bool held = holdsPatterns(static_cast<std::uint8_t>(idle | kDataInput));
        access.out(control, idle);
        return !held;
    });

    Decide(modes, PortMode::Epp, access, [&] {
        if (ecp == ModeAnswer::Yes)
            access.out(ecr, kEcrEppMode);
        access.out(control, idle);
        const auto timedOut = [&] { return (access.in(status)&kEppTimeout) != 0; };
        if (!timedOut())
            return true;
        // Some ports clear the bit when it is read twice, some when 1 is
        // written to it, others when 0 is.
        (void)access.in(status);
        const std::uint8_t found = access.in(status);
        access.out(status, static_cast<std::uint8_t>(found | kEppTimeout));
        access.out(status, static_cast<std::uint8_t>(found & ~kEppTimeout));
        return !timedOut();
    });
}

} // namespace

const char* ModeName(PortMode mode) {
    switch (mode) {
    case PortMode::Spp:
        return "SPP";
    case PortMode::Ps2:
        return "PS/2";
    case PortMode::Epp:
        return "EPP";
    case PortMode::Ecp:
        return "ECP";
    }
    return "?";
}

PortModes ProbePortModes(std::int32_t base) {
    PortModes modes;
    modes.base = static_cast<std::uint16_t>(base);
    Access access;
    // A second program on the port must not come between the probe's accesses.
    RunRestoringSequence(base, "undersökningen",
                         {.body =
                              [&](SavedRegisters& saved) {
                                  modes.answers[IndexOf(PortMode::Spp)] = ModeAnswer::Yes;
                                  RunModeTests(modes, saved, access);
                              },
                          // Through the helper the probe runs there, next to the port.
                          .elsewhere =
                              [&](RemoteSequences& elsewhere) {
                                  modes = elsewhere.probeModes(static_cast<std::uint16_t>(base));
                              },
                          // The path reaches the port, or none of it: saving reads its control
                          // register first.
                          .unreached =
                              [&](const PortError&) {
                                  modes.answers[IndexOf(PortMode::Spp)] = ModeAnswer::Unknown;
                                  modes.unreached[IndexOf(PortMode::Spp)] =
                                      static_cast<std::uint16_t>(base + kControlOffset);
                                  EveryModeAsSpp(modes);
                              }});
    return modes;
}

} // namespace portprov
