// SPDX-License-Identifier: MIT
#include "lamps/PinRules.h"
#include "RecordingLamps.h"
#include "lamps/BinaryPattern.h"
#include "lamps/LampNames.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

using namespace portprov;

namespace {

// The connector's register table, copied by hand position by position
// (position 1 = bit 7): pin and how its lamp follows the bit.
//   'D' direct: red for 1;  'I' inverted: white for 1;  'W' always white;
//   'T' direction text;     '-' nothing.
struct Cell {
    int pin;
    char how;
};
using Column = std::array<Cell, 8>;

constexpr Column kDataColumn{{
    {9, 'D'},
    {8, 'D'},
    {7, 'D'},
    {6, 'D'},
    {5, 'D'},
    {4, 'D'},
    {3, 'D'},
    {2, 'D'},
}};
constexpr Column kControlColumn{{
    {0, '-'},
    {0, '-'},
    {0, 'T'},
    {0, '-'},
    {17, 'I'},
    {16, 'D'},
    {14, 'I'},
    {1, 'I'},
}};
constexpr Column kStatusColumn{{
    {9, 'I'},
    {8, 'D'},
    {7, 'D'},
    {6, 'D'},
    {5, 'I'},
    {4, 'W'},
    {3, 'W'},
    {2, 'W'},
}};

const Column& ColumnOf(Register reg) {
    switch (reg) {
    case Register::Data:
        return kDataColumn;
    case Register::Control:
        return kControlColumn;
    case Register::Status:
        break;
    }
    return kStatusColumn;
}

std::string NameOf(Register reg) {
    return reg == Register::Data ? "data" : reg == Register::Control ? "control" : "status";
}

RecordingLamps ApplyWholeRule(Register reg, const std::string& pattern) {
    RecordingLamps lamps;
    for (int position = 1; position <= 8; ++position)
        ApplyPinRule(reg, position, pattern[static_cast<std::size_t>(position - 1)], lamps);
    return lamps;
}

constexpr auto kRed = LampColour::Red;
constexpr auto kWhite = LampColour::White;

} // namespace

TEST(PinRules, EveryByteOfEveryRegisterMatchesTheConnectorTable) {
    for (const Register reg : {Register::Data, Register::Control, Register::Status}) {
        const Column& column = ColumnOf(reg);
        for (int value = 0; value < 256; ++value) {
            SCOPED_TRACE(NameOf(reg) + " " + std::to_string(value));
            const std::string pattern = EightPlacePattern(static_cast<std::uint8_t>(value));
            const RecordingLamps lamps = ApplyWholeRule(reg, pattern);

            std::map<int, LampColour> expectedPins;
            std::optional<DataDirection> expectedDirection;
            std::vector<RecordingLamps::Change> expectedChanges;
            for (int position = 1; position <= 8; ++position) {
                const bool one = ((value >> (8 - position)) & 1) != 0;
                const Cell cell = column[static_cast<std::size_t>(position - 1)];
                switch (cell.how) {
                case 'D':
                    expectedPins[cell.pin] = one ? kRed : kWhite;
                    break;
                case 'I':
                    expectedPins[cell.pin] = one ? kWhite : kRed;
                    break;
                case 'W':
                    expectedPins[cell.pin] = kWhite;
                    break;
                case 'T':
                    expectedDirection = one ? DataDirection::Read : DataDirection::Write;
                    expectedChanges.push_back({RecordingLamps::Change::What::Direction, 0});
                    continue;
                default:
                    continue;
                }
                expectedChanges.push_back({RecordingLamps::Change::What::PinLamp, cell.pin});
            }
            EXPECT_EQ(lamps.pinLamps, expectedPins);
            EXPECT_EQ(lamps.direction, expectedDirection);
            // Only the column's own lamps, each once, in position order; no bit lamp.
            EXPECT_EQ(lamps.changes, expectedChanges);
            EXPECT_TRUE(lamps.bitLamps.empty());
        }
    }
}

TEST(PinRules, TablesNameTheSamePinsAsTheConnector) {
    for (const Register reg : {Register::Data, Register::Control, Register::Status}) {
        for (std::size_t i = 0; i < 8; ++i) {
            const PinRule rule = RuleOf(reg)[i];
            const Cell cell = ColumnOf(reg)[i];
            SCOPED_TRACE(NameOf(reg) + " position " + std::to_string(i + 1));
            EXPECT_EQ(rule.pin, cell.pin);
            const char how = rule.effect == PinEffect::Direct          ? 'D'
                             : rule.effect == PinEffect::Inverted      ? 'I'
                             : rule.effect == PinEffect::AlwaysWhite   ? 'W'
                             : rule.effect == PinEffect::DirectionText ? 'T'
                                                                       : '-';
            EXPECT_EQ(how, cell.how);
        }
    }
}

TEST(PinRules, ExamplesOfTheControlAndStatusRegisters) {
    const RecordingLamps control0 = ApplyWholeRule(Register::Control, "00000000");
    EXPECT_EQ(control0.pinLamps,
              (std::map<int, LampColour>{{17, kRed}, {16, kWhite}, {14, kRed}, {1, kRed}}));
    EXPECT_EQ(control0.direction, DataDirection::Write);

    const RecordingLamps control32 = ApplyWholeRule(Register::Control, "00100000");
    EXPECT_EQ(control32.pinLamps, control0.pinLamps);
    EXPECT_EQ(control32.direction, DataDirection::Read);

    EXPECT_EQ(ApplyWholeRule(Register::Control, "00001111").pinLamps,
              (std::map<int, LampColour>{{17, kWhite}, {16, kRed}, {14, kWhite}, {1, kWhite}}));
    EXPECT_EQ(ApplyWholeRule(Register::Control, "00000100").pinLamps,
              (std::map<int, LampColour>{{17, kRed}, {16, kRed}, {14, kRed}, {1, kRed}}));

    const std::map<int, LampColour> status120{{9, kRed},   {8, kRed},   {7, kRed},   {6, kRed},
                                              {5, kWhite}, {4, kWhite}, {3, kWhite}, {2, kWhite}};
    EXPECT_EQ(ApplyWholeRule(Register::Status, "01111000").pinLamps, status120);
    const std::map<int, LampColour> status135{{9, kWhite}, {8, kWhite}, {7, kWhite}, {6, kWhite},
                                              {5, kRed},   {4, kWhite}, {3, kWhite}, {2, kWhite}};
    EXPECT_EQ(ApplyWholeRule(Register::Status, "10000111").pinLamps, status135);
}

TEST(PinRules, TheRegistersOfTheUsualAndTheReportedPortsShowOnThePins) {
    constexpr auto D = Register::Data, S = Register::Status, C = Register::Control;
    constexpr std::optional<Register> no;
    // Address, register shown with no port reported, and with those reported.
    // The usual ports show their pins whether reported (632) or not (956).
    const std::vector<std::uint16_t> reported{632, 0xD010};
    const std::vector<std::tuple<int, std::optional<Register>, std::optional<Register>>> table{
        {888, D, D},   {889, S, S},     {890, C, C},     {887, no, no},   {891, no, no},
        {513, no, no}, {0xD010, no, D}, {0xD011, no, S}, {0xD012, no, C}, {0xD013, no, no},
        {632, D, D},   {634, C, C},     {957, S, S},     {959, no, no}};
    for (const auto& [port, alone, withReported] : table) {
        EXPECT_EQ(RegisterShownAt(static_cast<std::uint16_t>(port)), alone) << port;
        EXPECT_EQ(RegisterShownAt(static_cast<std::uint16_t>(port), reported), withReported)
            << port;
    }
}

TEST(PinRules, OddCharactersAndPositions) {
    // Any character but "1" counts as a 0, so an inverted line turns red.
    RecordingLamps lamps;
    ApplyPinRule(Register::Status, 1, 'x', lamps);
    ApplyPinRule(Register::Data, 2, '\0', lamps);
    ApplyPinRule(Register::Control, 3, ' ', lamps);
    EXPECT_EQ(lamps.pinLamps, (std::map<int, LampColour>{{9, kRed}, {8, kWhite}}));
    EXPECT_EQ(lamps.direction, DataDirection::Write);

    // Positions outside 1 to 8 touch nothing.
    RecordingLamps untouched;
    for (const Register reg : {Register::Data, Register::Control, Register::Status})
        for (const int position : {-1, 0, 9, 100})
            ApplyPinRule(reg, position, '1', untouched);
    EXPECT_TRUE(untouched.changes.empty());
}

// A pin's tooltip tells which way its line goes and only a level that was
// shown or read: an input pin gives its line's level at the last read
// (Busy inverted, Fel not, though its lamp is), and a data pin under the
// status byte names the status bit.
TEST(PinToolTip, TellsOnlyWhatWasShownOrRead) {
    using portprov::LampColour;
    using portprov::Register;
    const std::string click = " Klicka för att byta nivå.";
    const std::string unlit = " Stiftets lampa färgas inte (statusregistret visas på stift 2 - 9).";
    const std::vector<std::tuple<int, portprov::PinKnowledge, std::string>> cases{
        {1,
         {888, LampColour::White, Register::Status, 127},
         "Stift 1: Strobe, utgång. Senast visad nivå: låg (0 volt)." + click},
        {2,
         {632, LampColour::White, Register::Status, 0},
         "Stift 2: D0, utgång. Lampan visar statusregistret 633: bit 0, som inget stift har." +
             click},
        {11,
         {53264, LampColour::White, Register::Status, 0x80},
         "Stift 11: Busy, ingång. Nivå när 53265 lästes senast: låg (0 volt)." + unlit},
        {15,
         {888, {}, Register::Data, 0x08},
         "Stift 15: Fel, ingång. Nivå när 889 lästes senast: hög (+5 volt)." + unlit},
        {20, {888, LampColour::Black, Register::Data, 127}, "Stift 20: jord."},
    };
    for (const auto& [pin, known, text] : cases)
        EXPECT_EQ(portprov::PinToolTip(pin, known), text) << "pin " << pin;
}
