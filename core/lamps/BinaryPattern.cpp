// SPDX-License-Identifier: MIT
#include "lamps/BinaryPattern.h"

namespace portprov {

std::string ToBinary(std::int32_t n) {
    if (n == 0)
        return "0";
    if (n == 1)
        return "1";
    // Division and remainder truncate toward zero, so a negative n recurses
    // toward -1 (which gives "01") and never overflows, not even for the
    // smallest 32-bit number; its remainder is -1 for an odd n.
    return ToBinary(n / 2) + (n % 2 != 0 ? "1" : "0");
}

std::optional<std::string> PadToEight(std::string_view pattern) {
    constexpr std::size_t kPlaces = 8;
    if (pattern.size() > kPlaces)
        return std::nullopt;
    std::string padded(kPlaces - pattern.size(), '0');
    padded += pattern;
    return padded;
}

std::string EightPlacePattern(std::uint8_t byte) {
    // Every byte has at most eight binary digits.
    return *PadToEight(ToBinary(byte));
}

void ShowBitLamps(LampPanel& lamps, std::string_view eightPlacePattern) {
    for (int i = 1; i <= 8; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        lamps.setBitLamp(i,
                         LampForBit(at < eightPlacePattern.size() ? eightPlacePattern[at] : '\0'));
    }
}

} // namespace portprov
