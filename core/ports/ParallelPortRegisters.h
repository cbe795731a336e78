// SPDX-License-Identifier: MIT
#pragma once

#include "connector/Connector.h"

#include <array>
#include <cstdint>
#include <optional>

namespace portprov {

// A parallel port's three registers lie at its base address and the two after it.
inline constexpr std::uint16_t kDataOffset = 0;
inline constexpr std::uint16_t kStatusOffset = 1;
inline constexpr std::uint16_t kControlOffset = 2;
// An ECP port's extended control register (ECR) lies 0x402 above its base
// (1914 for 888); a port without one reads the bus there, or, where the card
// decodes only ten address bits, its own control register.
inline constexpr std::uint16_t kEcrOffset = 0x402;

// The usual bases of a PC's parallel ports, the first port (LPT1) first:
// 0x378, 0x278 and 0x3BC.
inline constexpr std::array<std::uint16_t, 3> kUsualParallelBases{888, 632, 956};

// The registers of the first parallel port.
inline constexpr std::uint16_t kLpt1Base = kUsualParallelBases[0];
inline constexpr std::uint16_t kLpt1Data = kLpt1Base + kDataOffset;       // 888
inline constexpr std::uint16_t kLpt1Status = kLpt1Base + kStatusOffset;   // 889
inline constexpr std::uint16_t kLpt1Control = kLpt1Base + kControlOffset; // 890

// Which register of the parallel port at base the address port is, if any.
constexpr std::optional<Register> RegisterOfPortAt(std::uint16_t port, std::uint16_t base) {
    switch (int{port} - int{base}) {
    case kDataOffset:
        return Register::Data;
    case kStatusOffset:
        return Register::Status;
    case kControlOffset:
        return Register::Control;
    default:
        return std::nullopt;
    }
}

} // namespace portprov
