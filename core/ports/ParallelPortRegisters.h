// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

namespace portprov {

// A parallel port's three registers lie at its base address and the two after it.
inline constexpr std::uint16_t kDataOffset = 0;
inline constexpr std::uint16_t kStatusOffset = 1;
inline constexpr std::uint16_t kControlOffset = 2;

// The usual bases of a PC's parallel ports, the first port (LPT1) first:
// 0x378, 0x278 and 0x3BC.
inline constexpr std::array<std::uint16_t, 3> kUsualParallelBases{888, 632, 956};

// The registers of the first parallel port.
inline constexpr std::uint16_t kLpt1Base = kUsualParallelBases[0];
inline constexpr std::uint16_t kLpt1Data = kLpt1Base + kDataOffset;       // 888
inline constexpr std::uint16_t kLpt1Status = kLpt1Base + kStatusOffset;   // 889
inline constexpr std::uint16_t kLpt1Control = kLpt1Base + kControlOffset; // 890

// Control lines whose pin level is the opposite of their bit: strobe (bit 0),
// auto feed (bit 1) and select in (bit 3).
inline constexpr std::uint8_t kControlLinesInverted = 0b0000'1011;
// Status inputs whose bit is the opposite of their pin level: busy (bit 7).
inline constexpr std::uint8_t kStatusLinesInverted = 0b1000'0000;

} // namespace portprov
