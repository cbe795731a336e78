// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace portprov {

// What a parallel port can do, in the order the program lists it.
enum class PortMode {
    Spp, // the port answers at all: a data latch that holds what is written
    Ps2, // the data lines turn round to input (control bit 5)
    Epp, // the EPP time-out bit is clear or can be cleared
    Ecp, // an extended control register (ECR) at base + 0x402
};
inline constexpr std::array<PortMode, 4> kPortModes{PortMode::Spp, PortMode::Ps2, PortMode::Epp,
                                                    PortMode::Ecp};

// "SPP", "PS/2", "EPP", "ECP".
const char* ModeName(PortMode mode);

// One mode's answer. Unknown: the access path in use does not reach a
// register the mode's test needs (ppdev reaches only the three registers).
enum class ModeAnswer { No, Yes, Unknown };

// What the probe of one port found.
struct PortModes {
    std::uint16_t base = 0;
    std::array<ModeAnswer, kPortModes.size()> answers{};
    // For each Unknown answer: the address the access path did not reach.
    std::array<std::optional<std::uint16_t>, kPortModes.size()> unreached{};

    ModeAnswer of(PortMode mode) const { return answers[static_cast<std::size_t>(mode)]; }
    // False when nothing answers at the base ("ingen port"), or when that is
    // not known.
    bool present() const { return of(PortMode::Spp) == ModeAnswer::Yes; }
    bool operator==(const PortModes&) const = default;
};

// Finds out what the parallel port at base can do, through the program's port
// operations only (DlPortReadPortUchar, DlPortWritePortUchar), so that it works
// on every access path. It runs as one restoring sequence
// (RunRestoringSequence): the port is held for the probe alone; its data latch,
// control register and ECR are saved first and written back as they were, also
// when an access fails (the PortError is passed on, or one naming the values
// the registers should have when they could not be put back) and before SIGINT,
// SIGTERM or SIGHUP may end the program. An access the path does not reach
// (PortErrorKind::NotCovered) leaves the modes that need it Unknown. A base
// where nothing answers has no modes. The EPP time-out bit, when the probe
// clears it, stays clear: it is the port's record of a failed EPP cycle, not a
// setting. A base whose registers would pass 65535 is refused with PortError
// before any port is touched.
PortModes ProbePortModes(std::int32_t base);

} // namespace portprov
