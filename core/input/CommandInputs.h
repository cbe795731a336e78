// SPDX-License-Identifier: MIT
#pragma once

#include "input/Conversions.h"
#include "input/Refusals.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace portprov {

// A port address from the address box: the port, or the refusal to show.
struct AddressInput {
    bool accepted = false;
    std::uint16_t port = 0;
    std::string refusal;
};

// Accepts a number that rounds to 0 to 65535; anything else (no number, an
// empty box, a negative or larger number) is refused before any port is touched.
AddressInput CheckAddress(std::string_view text, Rounding rounding, const NumberFormat& format);

// A byte from the value box: the value, whether the box must be corrected to
// "255", or the refusal to show.
struct ValueInput {
    bool accepted = false;
    std::uint8_t value = 0;
    bool aboveRange = false; // the number was above 255: the box is to read "255"
    std::string refusal;
};

// Empty text: "Input får ej vara tom". No number, or a negative one: refused.
// Any number above 255, however large, is accepted as 255 with aboveRange set.
ValueInput CheckValue(std::string_view text, Rounding rounding, const NumberFormat& format);

// Whether a write to port is the control register write of the first
// parallel port (890): its value is rounded half to even, not down, and it is
// not read back. The window and the command line both ask here.
bool IsControlRegisterWrite(std::uint16_t port);

// The value written to the control register (890): rounded half to even,
// where the write command rounds down; 12.7 is 13 there.
ValueInput CheckControlValue(std::string_view text, const NumberFormat& format);

// The write command's two boxes (the window's write button and --write): the
// value first, rounded down, then the address, rounded down; the first
// refusal ends it. At the control register (890) the value written is
// CheckControlValue's.
struct WriteInput {
    bool accepted = false;
    std::uint16_t port = 0;
    std::uint8_t roundedDown = 0; // the value rounded down, whatever the port
    ValueInput value;             // the value written
    std::string refusal;
};
WriteInput CheckWrite(std::string_view valueText, std::string_view addressText,
                      const NumberFormat& format);

} // namespace portprov
