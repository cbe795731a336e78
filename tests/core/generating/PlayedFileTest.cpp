// SPDX-License-Identifier: MIT
#include "generating/PlayedFile.h"

#include "recording/RecordedLines.h"
#include "recording/RecordingFiles.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

PlayedFileResult Read(const std::string& text, std::uint16_t base = 888) {
    std::istringstream in(text);
    return ReadPlayedFile(in, base);
}

// The changes at time 0 that give these pins these levels ("1" high).
std::vector<PinChange> StartingAt(std::vector<int> pins, const std::string& levels) {
    std::vector<PinChange> changes;
    for (std::size_t i = 0; i < pins.size(); ++i)
        changes.push_back({0ns, pins[i], levels[i] == '1'});
    return changes;
}

} // namespace

TEST(PlayedFile, RowsBecomeChangesOfTheOutputPins) {
    const struct {
        const char* text;
        std::uint16_t base;
        std::vector<PinChange> changes;
        nanoseconds length;
        std::vector<std::string> ignored;
    } cases[] = {
        // A spreadsheet's: a byte order mark, quotes, capitals, CR LF, a blank
        // row; a row that changes nothing adds no change but still the length.
        {"\xEF\xBB\xBF\"tid_s\", Stift2_D0 \r\n0.0,0\r\n\r\n0.0015,1\r\n0.0030000015,1\r\n",
         888,
         {{0ns, 2, false}, {1500us, 2, true}},
         3ms + 2ns,
         {}},
        // Inputs and other ports' lines are read past; the strobe is played.
        {"tid_s,stift15_fel,lpt632_stift2_d0,port513_bit3,stift1_strobe,stift3_styrspak_a_x\n"
         "0,1,1,1,0,1\n0.001,0,0,0,1,1\n",
         888,
         {{0ms, 1, false}, {1ms, 1, true}},
         1ms,
         {"stift15_fel", "lpt632_stift2_d0", "port513_bit3", "stift3_styrspak_a_x"}},
        // With the base in front, the port asked for is the one played.
        {"tid_s,lpt888_stift2_d0,lpt632_stift3_d1\n0,0,1\n",
         632,
         {{0ns, 3, true}},
         0ns,
         {"lpt888_stift2_d0"}},
        {"tid_s,stift17_select_in\n7,1\n", 1000, {{7s, 17, true}}, 7s, {}},
    };
    for (const auto& c : cases) {
        const PlayedFileResult read = Read(c.text, c.base);
        ASSERT_TRUE(read.sequence) << c.text << ": " << read.refusal;
        EXPECT_EQ(read.sequence->changes, c.changes) << c.text;
        EXPECT_EQ(read.sequence->length, c.length) << c.text;
        EXPECT_EQ(read.ignored, c.ignored) << c.text;
    }
}

TEST(PlayedFile, ARecordingOfTheOutputsPlaysBackAsRecorded) {
    // Every pin starts high but D1 - D7, then D1 rises, D0 and the strobe
    // fall together, and bit 5 alone (no pin) changes nothing.
    Recording recording;
    recording.ports = {888, 890};
    recording.initial = {0x01, 0x04};
    recording.changes = {{1ms, 0, 0x03}, {2ms, 1, 0x05}, {2ms, 0, 0x02}, {3ms, 1, 0x25}};
    recording.length = 5ms;
    std::vector<PinChange> wanted =
        StartingAt({2, 3, 4, 5, 6, 7, 8, 9, 1, 14, 16, 17}, "100000001111");
    wanted.insert(wanted.end(), {{1ms, 3, true}, {2ms, 2, false}, {2ms, 1, false}});

    // Alone, and beside another port, whose names then carry the base.
    for (const std::vector<std::uint16_t>& ports :
         {std::vector<std::uint16_t>{888, 890}, std::vector<std::uint16_t>{632, 888, 890}}) {
        Recording saved = recording;
        saved.ports = ports;
        saved.initial.insert(saved.initial.begin(), ports.size() - 2, 0xFF);
        for (Recording::Change& change : saved.changes)
            change.channel += static_cast<std::uint32_t>(ports.size() - 2);
        std::ostringstream file;
        WriteCsv(file, saved, LinesOf(ports));
        const PlayedFileResult read = Read(file.str());
        ASSERT_TRUE(read.sequence) << file.str() << read.refusal;
        EXPECT_EQ(read.sequence->changes, wanted) << file.str();
        EXPECT_EQ(read.sequence->length, 5ms);
    }
}

TEST(PlayedFile, RefusalsNameTheLine) {
    const struct {
        const char* text;
        const char* said;
    } cases[] = {
        {"", "Filen är tom."},
        {"tid,stift2_d0\n0,1\n", "Rad 1: första kolumnen ska heta tid_s"},
        {"\ntid_s,stift2_d0,stift99_x\n0,1,1\n", "Rad 2: okänd kolumn \"stift99_x\""},
        {"tid_s,stift2_d0,\n0,1,1\n", "Rad 1: okänd kolumn \"\""},
        {"tid_s,stift2_d0,lpt888_stift2_d0\n", "Rad 1: stift 2 står i två kolumner."},
        {"tid_s,stift10_ack,lpt632_stift2_d0\n0,1,1\n", "Rad 1: ingen kolumn för ett utgångsstift"},
        {"tid_s,stift2_d0\n0,1\n0,001,1\n", "Rad 3: 3 fält, men rubriken har 2."},
        {"tid_s,stift2_d0\n-0.001,1\n", "Rad 2: ogiltig tid \"-0.001\""},
        {"tid_s,stift2_d0\n0.002,1\n0.001,0\n", "Rad 3: tiden går bakåt"},
        {"tid_s,stift2_d0\n86400.000000001,1\n", "Rad 2: tiden är senare än 24 timmar."},
        {"tid_s,stift2_d0\n18446744074,1\n", "Rad 2: tiden är senare än 24 timmar."},
        {"tid_s,stift2_d0\n0,2\n", "Rad 2: ogiltigt värde \"2\" i kolumnen stift2_d0"},
        {"tid_s,stift2_d0\n\n", "Rad 2: filen har inga rader efter rubriken."},
    };
    for (const auto& c : cases) {
        const PlayedFileResult read = Read(c.text);
        EXPECT_FALSE(read.sequence) << c.text;
        EXPECT_NE(read.refusal.find(c.said), std::string::npos) << c.text << ": " << read.refusal;
    }
}
