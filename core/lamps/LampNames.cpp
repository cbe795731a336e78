// SPDX-License-Identifier: MIT
#include "lamps/LampNames.h"

#include "connector/Connector.h"
#include "ports/ParallelPortRegisters.h"

#include <optional>

namespace portprov {

std::string BitLampName(int index) {
    return "Bit " + std::to_string(8 - index);
}

std::string PinLampName(int pin) {
    const std::optional<ConnectorPin> line = PinOf(pin);
    return "Stift " + std::to_string(pin) + ", " + (line ? line->name : "jord");
}

std::string LampStateName(LampColour colour) {
    switch (colour) {
    case LampColour::Red:
        return "hög";
    case LampColour::White:
        return "låg";
    case LampColour::Black:
        return "jord";
    }
    return {};
}

namespace {

std::string LevelText(bool high) {
    return high ? "hög (+5 volt)" : "låg (0 volt)";
}

// What an input pin's tooltip knows: the level read, never a lamp's colour.
std::string InputLevel(const ConnectorPin& line, const PinKnowledge& known) {
    const std::string status = std::to_string(known.base + kStatusOffset);
    const std::string read = known.status ? "Nivå när " + status + " lästes senast: " +
                                                LevelText(PinLevel(line, *known.status)) + "."
                                          : "Ingen nivå läst: läs " + status + ".";
    return read + " Stiftets lampa färgas inte (statusregistret visas på stift 2 - 9).";
}

// What an output pin's tooltip knows: what its lamp shows, if anything.
std::string OutputLevel(const ConnectorPin& line, const PinKnowledge& known) {
    if (line.reg == Register::Data && known.dataPinsShow == Register::Status) {
        // The lamp shows a status bit by the window's rule, not this line.
        const std::string shown = "Lampan visar statusregistret " +
                                  std::to_string(known.base + kStatusOffset) + ": bit " +
                                  std::to_string(line.bit);
        const std::optional<ConnectorPin> status = PinOf(Register::Status, line.bit);
        return shown + (status ? ", " + std::string(status->name) + " på stift " +
                                     std::to_string(status->pin) + "."
                               : ", som inget stift har.");
    }
    if (!known.lamp)
        return "Ingen nivå visad än.";
    const std::string level = *known.lamp == LampColour::Red     ? LevelText(true)
                              : *known.lamp == LampColour::White ? LevelText(false)
                                                                 : LampStateName(*known.lamp);
    return "Senast visad nivå: " + level + ".";
}

} // namespace

std::string PinToolTip(int pin, const PinKnowledge& known) {
    const std::optional<ConnectorPin> line = PinOf(pin);
    const std::string number = "Stift " + std::to_string(pin) + ": ";
    if (!line || line->direction == LineDirection::Ground)
        return number + "jord.";
    if (line->direction == LineDirection::Input)
        return number + line->name + ", ingång. " + InputLevel(*line, known);
    return number + line->name + ", utgång. " + OutputLevel(*line, known) +
           " Klicka för att byta nivå.";
}

} // namespace portprov
