// SPDX-License-Identifier: MIT
#include "pins/TogglePin.h"

#include "ports/ParallelPortRegisters.h"
#include "ports/PortIo.h"
#include "ports/RemoteSequences.h"

namespace portprov {

PinToggle TogglePin(int pin, std::uint16_t base) {
    PinToggle result;
    if (!IsSettablePin(pin))
        return result;
    // Through the helper the three steps run there, next to the port.
    if (RemoteSequences* elsewhere = SequencesElsewhereFor(base))
        return elsewhere->togglePin(pin, base);
    const ConnectorPin line = *PinOf(pin);
    const std::int32_t data = base + kDataOffset;
    const std::int32_t control = base + kControlOffset;
    const auto hold = HoldPortForSequence(base);
    result.reg = line.reg;
    if (line.reg == Register::Data) {
        if ((DlPortReadPortUchar(control) & Bit(control_bit::kBidirectional)) != 0) {
            result.outcome = PinToggle::Outcome::DataLinesInput;
            return result;
        }
        result.written = static_cast<std::uint8_t>(DlPortReadPortUchar(data) ^ Bit(line.bit));
        DlPortWritePortUchar(data, result.written);
        result.readBack = DlPortReadPortUchar(data);
    } else {
        result.written = static_cast<std::uint8_t>(DlPortReadPortUchar(control) ^ Bit(line.bit));
        DlPortWritePortUchar(control, result.written);
    }
    result.outcome = PinToggle::Outcome::Written;
    return result;
}

std::string PinSetReport(int pin, std::uint16_t port, std::uint8_t value) {
    const std::optional<ConnectorPin> line = PinOf(pin);
    if (!line || line->direction == LineDirection::Ground ||
        line->direction == LineDirection::Input)
        return {};
    return "Stift " + std::to_string(pin) + ", " + line->name + ": nu " +
           (PinLevel(*line, value) ? "hög" : "låg") + " (" + std::to_string(port) + " = " +
           std::to_string(value) + ").";
}

std::string DataLinesInputMessage(std::uint16_t base) {
    return "D0 - D7 står i Läsläge (bit 5 i " + std::to_string(base + kControlOffset) +
           " är hög): datalinjerna läses och kan inte sättas. Skriv ett värde med bit 5 låg till " +
           std::to_string(base + kControlOffset) + " först, till exempel 0.";
}

} // namespace portprov
