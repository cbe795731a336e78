// SPDX-License-Identifier: MIT
#include "recording/RecordedLines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace portprov;

namespace {

// Written out by hand from the connectors' pin-outs, not from their tables.
struct Expected {
    std::uint32_t channel;
    int bit;
    bool inverted;
    const char* label;
    const char* wire;
};

struct Case {
    const char* what;
    std::vector<std::uint16_t> ports;
    std::vector<std::uint16_t> bases;
    std::vector<Expected> lines;
};

const std::vector<Case> kCases{
    {"data",
     {888},
     {},
     {{0, 0, false, "Stift 2 D0", "stift2_d0"},
      {0, 1, false, "Stift 3 D1", "stift3_d1"},
      {0, 2, false, "Stift 4 D2", "stift4_d2"},
      {0, 3, false, "Stift 5 D3", "stift5_d3"},
      {0, 4, false, "Stift 6 D4", "stift6_d4"},
      {0, 5, false, "Stift 7 D5", "stift7_d5"},
      {0, 6, false, "Stift 8 D6", "stift8_d6"},
      {0, 7, false, "Stift 9 D7", "stift9_d7"}}},
    {"status",
     {889},
     {},
     {{0, 6, false, "Stift 10 Ack", "stift10_ack"},
      {0, 7, true, "Stift 11 Busy", "stift11_busy"},
      {0, 5, false, "Stift 12 Papper slut", "stift12_papper_slut"},
      {0, 4, false, "Stift 13 Select", "stift13_select"},
      {0, 3, false, "Stift 15 Fel", "stift15_fel"}}},
    {"control",
     {890},
     {},
     {{0, 0, true, "Stift 1 Strobe", "stift1_strobe"},
      {0, 1, true, "Stift 14 Autofeed", "stift14_autofeed"},
      {0, 2, false, "Stift 16 Init", "stift16_init"},
      {0, 3, true, "Stift 17 Select In", "stift17_select_in"}}},
    {"game port",
     {513},
     {},
     {{0, 0, false, "Stift 3 Styrspak A X", "stift3_styrspak_a_x"},
      {0, 1, false, "Stift 6 Styrspak A Y", "stift6_styrspak_a_y"},
      {0, 2, false, "Stift 11 Styrspak B X", "stift11_styrspak_b_x"},
      {0, 3, false, "Stift 13 Styrspak B Y", "stift13_styrspak_b_y"},
      {0, 4, false, "Stift 2 Knapp A1", "stift2_knapp_a1"},
      {0, 5, false, "Stift 7 Knapp A2", "stift7_knapp_a2"},
      {0, 6, false, "Stift 10 Knapp B1", "stift10_knapp_b1"},
      {0, 7, false, "Stift 14 Knapp B2", "stift14_knapp_b2"}}},
    {"other",
     {1234},
     {},
     {{0, 0, false, "Port 1234 bit 0", "port1234_bit0"},
      {0, 1, false, "Port 1234 bit 1", "port1234_bit1"},
      {0, 2, false, "Port 1234 bit 2", "port1234_bit2"},
      {0, 3, false, "Port 1234 bit 3", "port1234_bit3"},
      {0, 4, false, "Port 1234 bit 4", "port1234_bit4"},
      {0, 5, false, "Port 1234 bit 5", "port1234_bit5"},
      {0, 6, false, "Port 1234 bit 6", "port1234_bit6"},
      {0, 7, false, "Port 1234 bit 7", "port1234_bit7"}}},
    // A reported base is a parallel port; one port alone keeps the plain names.
    {"reported base",
     {0xE001},
     {0xE000},
     {{0, 6, false, "Stift 10 Ack", "stift10_ack"},
      {0, 7, true, "Stift 11 Busy", "stift11_busy"},
      {0, 5, false, "Stift 12 Papper slut", "stift12_papper_slut"},
      {0, 4, false, "Stift 13 Select", "stift13_select"},
      {0, 3, false, "Stift 15 Fel", "stift15_fel"}}},
    // Two parallel ports: the base tells their wires apart; other registers keep theirs.
    {"two ports",
     {890, 634, 513},
     {},
     {{0, 0, true, "Port 888 Stift 1 Strobe", "lpt888_stift1_strobe"},
      {0, 1, true, "Port 888 Stift 14 Autofeed", "lpt888_stift14_autofeed"},
      {0, 2, false, "Port 888 Stift 16 Init", "lpt888_stift16_init"},
      {0, 3, true, "Port 888 Stift 17 Select In", "lpt888_stift17_select_in"},
      {1, 0, true, "Port 632 Stift 1 Strobe", "lpt632_stift1_strobe"},
      {1, 1, true, "Port 632 Stift 14 Autofeed", "lpt632_stift14_autofeed"},
      {1, 2, false, "Port 632 Stift 16 Init", "lpt632_stift16_init"},
      {1, 3, true, "Port 632 Stift 17 Select In", "lpt632_stift17_select_in"},
      {2, 0, false, "Stift 3 Styrspak A X", "stift3_styrspak_a_x"},
      {2, 1, false, "Stift 6 Styrspak A Y", "stift6_styrspak_a_y"},
      {2, 2, false, "Stift 11 Styrspak B X", "stift11_styrspak_b_x"},
      {2, 3, false, "Stift 13 Styrspak B Y", "stift13_styrspak_b_y"},
      {2, 4, false, "Stift 2 Knapp A1", "stift2_knapp_a1"},
      {2, 5, false, "Stift 7 Knapp A2", "stift7_knapp_a2"},
      {2, 6, false, "Stift 10 Knapp B1", "stift10_knapp_b1"},
      {2, 7, false, "Stift 14 Knapp B2", "stift14_knapp_b2"}}},
};

TEST(RecordedLinesTest, NamesAndInversionsOfEachKindOfRegister) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const std::vector<RecordedLine> lines = LinesOf(c.ports, c.bases);
        ASSERT_EQ(lines.size(), c.lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE(c.lines[i].wire);
            EXPECT_EQ(lines[i].channel, c.lines[i].channel);
            EXPECT_EQ(lines[i].bit, c.lines[i].bit);
            EXPECT_EQ(lines[i].inverted, c.lines[i].inverted);
            EXPECT_EQ(lines[i].label, c.lines[i].label);
            EXPECT_EQ(lines[i].wire, c.lines[i].wire);
        }
    }
}

TEST(RecordedLinesTest, LevelsAndWireNames) {
    const std::vector<RecordedLine> status = LinesOf(std::vector<std::uint16_t>{889});
    // Busy (bit 7) is low at the pin while its bit is 1; Ack (bit 6) follows its bit.
    EXPECT_FALSE(LevelOf(status[1], 0x80));
    EXPECT_TRUE(LevelOf(status[1], 0x00));
    EXPECT_TRUE(LevelOf(status[0], 0x40));
    EXPECT_FALSE(LevelOf(status[0], 0xBF));
    EXPECT_EQ(WireNameOf("Öppen lös-Å ä"), "oppen_los_a_a");
}

} // namespace
