// SPDX-License-Identifier: MIT
#include "recording/RecordedLines.h"
#include "recording/RecordingFiles.h"
#include "recording/ReferenceCheck.h"
#include "recording/ReferenceFile.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

ReferenceResult ReadText(const std::string& text) {
    std::istringstream in(text);
    return ReadReference(in, {64, 20, 4096, ", mer än en referens."});
}

// Data register 888: D0 (pin 2) high from 1 ms to 2 ms; status 889: Error
// (pin 15, bit 3) low from 1.2 ms to 2.2 ms.
Recording Board(nanoseconds errorLag = 200us) {
    Recording recording;
    recording.ports = {888, 889};
    recording.initial = {0x00, 0x08};
    recording.changes = {
        {1ms, 0, 0x01}, {1ms + errorLag, 1, 0x00}, {2ms, 0, 0x00}, {2ms + errorLag, 1, 0x08}};
    recording.length = 5ms;
    return recording;
}

Reference ReferenceOf(const Recording& recording) {
    std::stringstream csv;
    const auto lines = LinesOf(recording.ports);
    WriteCsv(csv, recording, lines);
    return *ReadReference(csv).reference;
}

} // namespace

TEST(Reference, AFileIsReadAsTheRecorderWroteItAndRefusedNamingTheLine) {
    // What the recorder writes comes back as the same edges.
    const Recording board = Board();
    const Reference reference = ReferenceOf(board);
    const auto lines = LinesOf(board.ports);
    ASSERT_EQ(reference.lines.size(), lines.size());
    EXPECT_EQ(reference.length, 5ms);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(reference.lines[i].name, lines[i].wire);
        EXPECT_EQ(reference.lines[i].edges.initial, EdgesOf(board, lines[i]).initial);
        EXPECT_EQ(reference.lines[i].edges.edges, EdgesOf(board, lines[i]).edges);
    }
    const struct {
        std::string text;
        const char* refusal; // empty: read
    } cases[] = {
        {"\xEF\xBB\xBFTID_S,Stift2_D0\n0,0\n0.001,1\n", ""},
        {"", "Filen är tom."},
        {"tid,stift2_d0\n0,0\n", "Rad 1: första kolumnen ska heta tid_s"},
        {"tid_s\n0\n", "Rad 1: filen har inga ledningar"},
        {"tid_s,a b\n0,0\n", "Rad 1: ogiltigt namn \"a b\""},
        {"tid_s,x,X\n0,0,0\n", "Rad 1: ledningen x står i två kolumner."},
        {"tid_s,x\n", "Rad 1: filen har inga rader efter rubriken."},
        {"tid_s,x\n0,0,1\n", "Rad 2: 3 fält, men rubriken har 2."},
        {"tid_s,x\n-1,0\n", "Rad 2: ogiltig tid \"-1\""},
        {"tid_s,x\n0.002,0\n0.001,1\n", "Rad 3: tiden går bakåt"},
        {"tid_s,x\n0,2\n", "Rad 2: ogiltigt värde \"2\" i kolumnen x"},
        {"tid_s,x\n0,\x1b[2J\n", "Rad 2: ogiltigt värde \" [2J\""},
        {"tid_s,x\n0,0\n" + std::string(70, '0') + "\n", "Rad 3: raden är längre än 64 byte."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ReferenceResult read = ReadText(c.text);
        EXPECT_EQ(read.reference.has_value(), *c.refusal == '\0');
        EXPECT_EQ(read.refusal.substr(0, std::string(c.refusal).size()), c.refusal);
    }
    EXPECT_EQ(ReadText("\xEF\xBB\xBFTID_S,Stift2_D0\n0,0\n0.001,1\n").reference->lines[0].name,
              "stift2_d0");
}

TEST(Reference, ARecordingIsComparedLineByLineOnTheReferencesTimeAxis) {
    const Reference reference = ReferenceOf(Board());
    const auto lines = LinesOf(Board().ports);
    const auto verdictOf = [&](const Recording& recording, const std::string& wire,
                               std::optional<nanoseconds> tolerance = {}) {
        const ReferenceComparison comparison =
            CompareWithReference(reference, recording, lines, tolerance, 1us);
        for (const ComparedLine& line : comparison.lines)
            if (line.line.wire == wire)
                return line.verdict;
        ADD_FAILURE() << wire;
        return LineVerdict{};
    };
    EXPECT_TRUE(CompareWithReference(reference, Board(), lines, {}, 1us).matches());
    // Error's shortest stretch is 1 ms: a tenth of it by default.
    EXPECT_EQ(verdictOf(Board(300us), "stift15_fel").differences, 0u);
    EXPECT_EQ(verdictOf(Board(301us), "stift15_fel").differences, 2u);
    EXPECT_EQ(verdictOf(Board(300us), "stift15_fel", 50us).differences, 2u);
    EXPECT_EQ(verdictOf(Board(300us), "stift2_d0").differences, 0u);

    // A recording that ended early misses the reference's last edges; one
    // that went on past its end is compared up to it.
    Recording shorter = Board();
    shorter.changes.pop_back();
    shorter.length = 2100us;
    EXPECT_EQ(verdictOf(shorter, "stift15_fel").first->kind, EdgeDifference::Kind::Missing);
    Recording longer = Board();
    longer.changes.push_back({6ms, 0, 0x01});
    longer.length = 7ms;
    EXPECT_EQ(verdictOf(longer, "stift2_d0").differences, 0u);

    // With a trigger each is put on its own edge: the reference's first rise
    // of D0, the recording's trigger time.
    Recording triggered = Board();
    for (Recording::Change& change : triggered.changes)
        change.time += 3ms;
    triggered.length = 8ms;
    triggered.triggerTime = 4ms;
    EXPECT_FALSE(CompareWithReference(reference, triggered, lines, {}, 1us).matches());
    const ReferenceComparison aligned =
        CompareWithReference(reference, triggered, lines, {}, 1us, TriggerEdge{"stift2_d0", true});
    EXPECT_TRUE(aligned.matches());
    EXPECT_EQ(aligned.from, -1ms);
    EXPECT_EQ(aligned.lines[0].reference.edges.front(), 0ns);
}

TEST(Reference, TheLinesARecordingLacksAreNamed) {
    const Reference reference = ReferenceOf(Board());
    const std::uint16_t dataOnly[] = {888};
    const auto absent = AbsentLines(reference, LinesOf(dataOnly));
    ASSERT_EQ(absent.size(), 5u); // the status register's five inputs
    EXPECT_EQ(absent.front(), "stift10_ack");
    EXPECT_TRUE(AbsentLines(reference, LinesOf(Board().ports)).empty());
}
