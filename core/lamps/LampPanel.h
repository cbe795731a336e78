// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace portprov {

// Colour of one lamp, as the colour values the window has always used
// (0x00BBGGRR: 255 is pure red).
enum class LampColour : std::uint32_t {
    Black = 0,
    Red = 255,
    White = 16777215,
};

// A lamp showing one character of a bit pattern: red for "1", white for
// anything else (a "0", or no character at all).
constexpr LampColour LampForBit(char bit) {
    return bit == '1' ? LampColour::Red : LampColour::White;
}

// Red, green and blue parts of a lamp colour, for painting it.
struct Rgb {
    int red;
    int green;
    int blue;
};
constexpr Rgb ToRgb(LampColour colour) {
    const auto value = static_cast<std::uint32_t>(colour);
    return {static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
            static_cast<int>((value >> 16) & 0xFFu)};
}

// Whether the data lines D0 to D7 are set to be driven by the PC (write mode,
// control bit 5 low) or to be read (read mode, bit 5 high).
enum class DataDirection { Write, Read };

// The direction text for each direction.
inline constexpr const char* kWriteModeText = "D0 - D7 står i Skrivläge  bit 5 Låg";
inline constexpr const char* kReadModeText = "D0 - D7 står i Läsläge  bit 5 Hög";
constexpr const char* DirectionText(DataDirection direction) {
    return direction == DataDirection::Read ? kReadModeText : kWriteModeText;
}

// The lamps and the direction text of the window. Core code colours the window
// only through this interface; the window implements it, tests record it.
class LampPanel {
public:
    virtual ~LampPanel() = default;

    // Bit lamp 1 to 8, left to right: lamp i shows bit 8 - i.
    virtual void setBitLamp(int index, LampColour colour) = 0;
    // Connector pin lamp, index = pin number 1 to 25.
    virtual void setPinLamp(int pin, LampColour colour) = 0;
    // The text above the connector that tells the direction of D0 to D7.
    virtual void showDirection(DataDirection direction) = 0;
};

} // namespace portprov
