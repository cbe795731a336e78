// SPDX-License-Identifier: MIT
#include "generating/PlayedFile.h"

#include "ports/PrintableText.h"
#include "recording/RecordedLines.h"
#include "recording/RecordingFiles.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

PlayedFileResult Read(const std::string& text, std::uint16_t base = 888,
                      const PlayedFileBounds& bounds = {}) {
    std::istringstream in(text);
    return ReadPlayedFile(in, base, bounds);
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
        // Two rows at one time: both changes are played, in the file's order.
        {"tid_s,stift2_d0\n0,0\n0.001,1\n0.001,0\n",
         888,
         {{0ns, 2, false}, {1ms, 2, true}, {1ms, 2, false}},
         1ms,
         {}},
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
        std::string text;
        std::string said;
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
        // The column is named from the header after a longer row was read.
        {"tid_s,stift3_d1,stift2_d0\n0.0000000000000000000000000000000000000000,2,1\n",
         "Rad 2: ogiltigt värde \"2\" i kolumnen stift3_d1: skriv 0 eller 1."},
        // What would steer a terminal is shown as blanks, and a long text cut.
        {"tid_s,\x1b]0;kapad\x07\x1b[2Jstift2_d0\n",
         "Rad 1: okänd kolumn \" ]0;kapad  [2Jstift2_d0\": inspelningens"},
        {"tid_s,stift2_d0\n\x9b" "2J\xE2\x80\xAE,1\n", "Rad 2: ogiltig tid \" 2J \": skriv"},
        {"tid_s," + std::string(50'000'000, 'x') + "\n",
         "Rad 1: raden är längre än 65536 byte."},
        {"tid_s," + std::string(60'000, 'x') + "\n",
         "Rad 1: okänd kolumn \"" + std::string(40, 'x') + "…\": inspelningens"},
        {std::string(60'000, 'y') + ",stift2_d0\n",
         "Rad 1: första kolumnen ska heta tid_s, som i inspelningens filer, men heter \"" +
             std::string(40, 'y') + "…\"."},
    };
    for (const auto& c : cases) {
        const std::string text = c.text.substr(0, 80);
        const PlayedFileResult read = Read(c.text);
        EXPECT_FALSE(read.sequence) << text;
        EXPECT_NE(read.refusal.find(c.said), std::string::npos) << text << ": " << read.refusal;
        EXPECT_EQ(read.refusal, PrintableText(read.refusal)) << text;
        EXPECT_LT(read.refusal.size(), 200u) << text;
    }
}

TEST(PlayedFile, ReadingStopsAtTheBounds) {
    const std::string header = "tid_s,stift2_d0\n"; // 16 bytes
    const struct {
        std::string text;
        PlayedFileBounds bounds;
        std::string said; // empty: played
    } cases[] = {
        {header + "0.000000000000,1\n", {.longestLine = 16}, ""},
        {header + "0.0000000000000,1\n", {.longestLine = 16}, "Rad 2: raden är längre än 16 byte."},
        {header + "0,1\n\n", {.mostLines = 3}, ""},
        {header + "0,1\n\n1,0", {.mostLines = 3}, "Rad 4: filen har fler än 3 rader."},
        {header + "0,1\n", {.largestFile = 20}, ""},
        {header + "0,1\n\n", {.largestFile = 20}, "Filen är större än 20 byte, mer än en"},
    };
    for (const auto& c : cases) {
        const PlayedFileResult read = Read(c.text, 888, c.bounds);
        EXPECT_EQ(read.sequence.has_value(), c.said.empty()) << c.text;
        EXPECT_EQ(read.refusal.substr(0, c.said.size()), c.said) << c.text;
    }
}
