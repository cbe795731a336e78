// SPDX-License-Identifier: MIT
#include "cli/ReadReport.h"

#include "connector/Connector.h"
#include "lamps/BinaryPattern.h"
#include "lamps/LampPanel.h"
#include "lamps/PinRules.h"

#include <optional>

namespace portprov {

std::string ReadReport(std::uint16_t port, std::uint8_t byte,
                       std::span<const std::uint16_t> parallelBases) {
    std::string line =
        std::to_string(port) + ": " + std::to_string(byte) + " " + EightPlacePattern(byte);
    const std::optional<Register> reg = RegisterShownAt(port, parallelBases);
    if (!reg)
        return line;
    // Each bit's own pin at its level there, also for the status register,
    // which the window shows on the data pins: a technician probes the pin
    // this line names. The control register's pins too, which the window
    // leaves to its control command (frmPortCom::PinRuleFor): this line
    // stands alone, with no picture of the connector to keep.
    line += " stift";
    for (int bit = 7; bit >= 0; --bit) {
        if (const std::optional<ConnectorPin> pin = PinOf(*reg, bit))
            line += ' ' + std::to_string(pin->pin) + (PinLevel(*pin, byte) ? "=hög" : "=låg");
    }
    if (*reg == Register::Control) {
        const bool read = ((byte >> control_bit::kBidirectional) & 1u) != 0;
        line +=
            std::string("; ") + DirectionText(read ? DataDirection::Read : DataDirection::Write);
    }
    return line;
}

} // namespace portprov
