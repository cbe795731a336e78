// SPDX-License-Identifier: MIT
#pragma once

#include "lamps/LampPanel.h"

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

// A pin's tooltip: its number, its line's name, which way the line goes and
// the level its lamp last showed (shown), "Stift 4: D2, utgång. Senast visad
// nivå: låg (0 volt). Klicka för att byta nivå." Output pins say they can be
// clicked.
std::string PinToolTip(int pin, LampColour shown);

} // namespace portprov
