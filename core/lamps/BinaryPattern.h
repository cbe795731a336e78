// SPDX-License-Identifier: MIT
#pragma once

#include "lamps/LampPanel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace portprov {

// Binary digits of n, most significant first, no leading zeros ("0" for 0).
// For a negative n each digit is the remainder's sign-independent oddness,
// so ToBinary(-1) is "01" and ToBinary(-2) is "010".
std::string ToBinary(std::int32_t n);

// The pattern extended on the left with "0" to exactly eight characters;
// nullopt for a pattern longer than eight, which cannot stand for a byte.
std::optional<std::string> PadToEight(std::string_view pattern);

// Eight-place pattern of a byte, bit 7 first.
std::string EightPlacePattern(std::uint8_t byte);

// Colours bit lamp i (1 to 8) red for a "1" at position i, white otherwise.
void ShowBitLamps(LampPanel& lamps, std::string_view eightPlacePattern);

} // namespace portprov
