// SPDX-License-Identifier: MIT
#include "recording/RecordedLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace portprov;

namespace {

// Each line as "channel/bit label=wire", with "!" after the bit where the
// line is inverted; written out by hand from the connectors' pin-outs.
std::string Shown(const std::vector<RecordedLine>& lines) {
    std::string shown;
    for (const RecordedLine& line : lines) {
        shown += std::to_string(line.channel) + "/" + std::to_string(line.bit) +
                 (line.inverted ? "! " : " ") + line.label + "=" + line.wire + "; ";
    }
    return shown;
}

TEST(RecordedLinesTest, NamesAndInversionsOfEachKindOfRegister) {
    const struct {
        std::vector<std::uint16_t> ports, bases;
        const char* lines;
    } cases[]{
        {{888},
         {},
         "0/0 Stift 2 D0=stift2_d0; 0/1 Stift 3 D1=stift3_d1; 0/2 Stift 4 D2=stift4_d2; "
         "0/3 Stift 5 D3=stift5_d3; 0/4 Stift 6 D4=stift6_d4; 0/5 Stift 7 D5=stift7_d5; "
         "0/6 Stift 8 D6=stift8_d6; 0/7 Stift 9 D7=stift9_d7; "},
        {{889},
         {},
         "0/6 Stift 10 Ack=stift10_ack; 0/7! Stift 11 Busy=stift11_busy; "
         "0/5 Stift 12 Papper slut=stift12_papper_slut; 0/4 Stift 13 Select=stift13_select; "
         "0/3 Stift 15 Fel=stift15_fel; "},
        {{890},
         {},
         "0/0! Stift 1 Strobe=stift1_strobe; 0/1! Stift 14 Autofeed=stift14_autofeed; "
         "0/2 Stift 16 Init=stift16_init; 0/3! Stift 17 Select In=stift17_select_in; "},
        {{513},
         {},
         "0/0 Stift 3 Styrspak A X=stift3_styrspak_a_x; 0/1 Stift 6 Styrspak A "
         "Y=stift6_styrspak_a_y; "
         "0/2 Stift 11 Styrspak B X=stift11_styrspak_b_x; "
         "0/3 Stift 13 Styrspak B Y=stift13_styrspak_b_y; 0/4 Stift 2 Knapp A1=stift2_knapp_a1; "
         "0/5 Stift 7 Knapp A2=stift7_knapp_a2; 0/6 Stift 10 Knapp B1=stift10_knapp_b1; "
         "0/7 Stift 14 Knapp B2=stift14_knapp_b2; "},
        {{1234},
         {},
         "0/0 Port 1234 bit 0=port1234_bit0; 0/1 Port 1234 bit 1=port1234_bit1; "
         "0/2 Port 1234 bit 2=port1234_bit2; 0/3 Port 1234 bit 3=port1234_bit3; "
         "0/4 Port 1234 bit 4=port1234_bit4; 0/5 Port 1234 bit 5=port1234_bit5; "
         "0/6 Port 1234 bit 6=port1234_bit6; 0/7 Port 1234 bit 7=port1234_bit7; "},
        // A reported base; one parallel port keeps the plain names.
        {{0xE002},
         {0xE000},
         "0/0! Stift 1 Strobe=stift1_strobe; 0/1! Stift 14 Autofeed=stift14_autofeed; "
         "0/2 Stift 16 Init=stift16_init; 0/3! Stift 17 Select In=stift17_select_in; "},
        // Two parallel ports: the base tells their wires apart.
        {{890, 634},
         {},
         "0/0! Port 888 Stift 1 Strobe=lpt888_stift1_strobe; "
         "0/1! Port 888 Stift 14 Autofeed=lpt888_stift14_autofeed; "
         "0/2 Port 888 Stift 16 Init=lpt888_stift16_init; "
         "0/3! Port 888 Stift 17 Select In=lpt888_stift17_select_in; "
         "1/0! Port 632 Stift 1 Strobe=lpt632_stift1_strobe; "
         "1/1! Port 632 Stift 14 Autofeed=lpt632_stift14_autofeed; "
         "1/2 Port 632 Stift 16 Init=lpt632_stift16_init; "
         "1/3! Port 632 Stift 17 Select In=lpt632_stift17_select_in; "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shown(LinesOf(c.ports, c.bases)), c.lines);
    EXPECT_EQ(WireNameOf("Öppen lös-Å ä"), "oppen_los_a_a");
}

} // namespace
