// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The game port's 15-pin connector (DA-15, as on a PC or a sound card): which
// bit of the game port's register (512 to 519, all one register) each pin's
// line shows, and its Swedish name. Beside the parallel connector's table
// (Connector.h), in the same style; the recording's lines read from here.
namespace portprov {

// The game port answers at every address from 512 to 519; 513 is the usual one.
inline constexpr std::uint16_t kGamePortFirst = 512;
inline constexpr std::uint16_t kGamePortLast = 519;

// What a pin of the game connector carries.
enum class GameLineKind {
    Axis,   // a joystick axis: its bit is 1 while the axis timer runs
    Button, // a button: its bit is 0 while the button is held (the pin is grounded)
    Power,  // +5 V for the joysticks
    Ground,
};

// One pin of the game connector.
struct GamePortPin {
    int pin;
    GameLineKind kind;
    int bit;          // in the game port's register; -1 for power and ground
    const char* name; // Swedish, as a diagram row shows it
};

// Pins 1 to 15, in order. Pin 12 and 15 carry MIDI on some sound cards
// instead of ground and +5 V; no bit shows them either way.
inline constexpr std::array<GamePortPin, 15> kGamePortPins{{
    {1, GameLineKind::Power, -1, "+5 V"},
    {2, GameLineKind::Button, 4, "Knapp A1"},
    {3, GameLineKind::Axis, 0, "Styrspak A X"},
    {4, GameLineKind::Ground, -1, "jord"},
    {5, GameLineKind::Ground, -1, "jord"},
    {6, GameLineKind::Axis, 1, "Styrspak A Y"},
    {7, GameLineKind::Button, 5, "Knapp A2"},
    {8, GameLineKind::Power, -1, "+5 V"},
    {9, GameLineKind::Power, -1, "+5 V"},
    {10, GameLineKind::Button, 6, "Knapp B1"},
    {11, GameLineKind::Axis, 2, "Styrspak B X"},
    {12, GameLineKind::Ground, -1, "jord"},
    {13, GameLineKind::Axis, 3, "Styrspak B Y"},
    {14, GameLineKind::Button, 7, "Knapp B2"},
    {15, GameLineKind::Power, -1, "+5 V"},
}};

constexpr bool IsGamePort(std::uint16_t port) {
    return port >= kGamePortFirst && port <= kGamePortLast;
}

// The pin of a bit of the game port's register; every bit has one.
constexpr std::optional<GamePortPin> GamePinOf(int bit) {
    for (const GamePortPin& pin : kGamePortPins) {
        if (pin.bit == bit && pin.bit >= 0)
            return pin;
    }
    return std::nullopt;
}

static_assert(GamePinOf(0)->pin == 3 && GamePinOf(3)->pin == 13);
static_assert(GamePinOf(4)->pin == 2 && GamePinOf(7)->pin == 14);

} // namespace portprov
