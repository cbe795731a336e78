// SPDX-License-Identifier: MIT
#pragma once

#include "connector/Connector.h"
#include "lamps/LampPanel.h"

#include <cstdint>
#include <optional>
#include <string>

namespace portprov {

// What the lamps are called when a screen reader reads the window, in
// Swedish (UTF-8).

// Bit lamp 1 to 8, left to right: "Bit 7" down to "Bit 0".
std::string BitLampName(int index);

// Pin lamp 1 to 25: the pin and its line on the connector, "Stift 1, Strobe",
// "Stift 2, D0", "Stift 18, jord".
std::string PinLampName(int pin);

// What a lamp's colour tells, as the colour legend says it: red "hög", white
// "låg", black "jord".
std::string LampStateName(LampColour colour);

// What the window knows of a pin, for its tooltip. Only what was shown or
// read: a lamp nothing has painted, or a status register never read, has no
// level to tell.
struct PinKnowledge {
    // The parallel port whose registers the connector shows.
    std::uint16_t base = 888;
    // The pin's lamp, nullopt while nothing has painted it since start-up.
    std::optional<LampColour> lamp;
    // The register the lamps of pins 2 to 9 show: the data register, or the
    // status register, which the window shows there by its rule.
    Register dataPinsShow = Register::Data;
    // The status register of base as the window read it last.
    std::optional<std::uint8_t> status;
};

// A pin's tooltip: its number, its line's name, which way the line goes and
// what is known of its level, "Stift 4: D2, utgång. Senast visad nivå: låg (0
// volt). Klicka för att byta nivå." Output pins say they can be clicked. An
// input pin's lamp is never painted: it gives the level its line had when the
// status register was read last, or that none was read.
std::string PinToolTip(int pin, const PinKnowledge& known);

} // namespace portprov
