// SPDX-License-Identifier: MIT
#include "lamps/ByteLamps.h"

#include "lamps/BinaryPattern.h"

#include <string>

namespace portprov {

void ShowByteOnLamps(LampPanel& lamps, std::uint8_t byte, std::optional<Register> rule) {
    const std::string pattern = EightPlacePattern(byte);
    for (int position = 1; position <= 8; ++position) {
        const char bit = pattern[static_cast<std::size_t>(position - 1)];
        lamps.setBitLamp(position, LampForBit(bit));
        if (rule)
            ApplyPinRule(*rule, position, bit, lamps);
    }
}

} // namespace portprov
