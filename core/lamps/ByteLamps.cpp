// SPDX-License-Identifier: MIT
#include "lamps/ByteLamps.h"

#include "lamps/BinaryPattern.h"

#include <string>

namespace portprov {

void ShowByteOnLamps(LampPanel& lamps, std::uint8_t byte, std::optional<Register> rule) {
    const std::string pattern = EightPlacePattern(byte);
    ShowBitLamps(lamps, pattern);
    if (!rule)
        return;
    for (int position = 1; position <= 8; ++position)
        ApplyPinRule(*rule, position, pattern[static_cast<std::size_t>(position - 1)], lamps);
}

} // namespace portprov
