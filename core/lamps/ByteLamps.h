// SPDX-License-Identifier: MIT
#pragma once

#include "lamps/LampPanel.h"
#include "lamps/PinRules.h"

#include <cstdint>
#include <optional>

namespace portprov {

// Shows a byte on the bit lamps and, when a register is given, on the pins of
// that register's rule, position by position from bit 7 down. The bit lamps
// and the rule's lamps are different lamps, so the window ends the same
// whichever is painted first.
void ShowByteOnLamps(LampPanel& lamps, std::uint8_t byte, std::optional<Register> rule);

} // namespace portprov
