// SPDX-License-Identifier: MIT
#include "recording/Comparison.h"
#include "recording/RecordedLines.h"

#include <gtest/gtest.h>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;
using Kind = EdgeDifference::Kind;

TEST(Comparison, EachEdgeMatchesInDirectionAndWithinTheTolerance) {
    // The reference: low, up at 1 ms, down at 2 ms, up at 3 ms; 10 µs tolerance.
    const LineEdges reference{false, {1ms, 2ms, 3ms}};
    struct Case {
        const char* what;
        LineEdges recorded;
        std::size_t differences;
        std::optional<Kind> first;
        nanoseconds at, by;
    };
    const Case cases[] = {
        {"the same", {false, {1ms, 2ms, 3ms}}, 0, {}, {}, {}},
        {"just inside", {false, {1ms + 10us, 2ms, 3ms - 10us}}, 0, {}, {}, {}},
        {"just outside: late", {false, {1ms + 11us, 2ms, 3ms}}, 1, Kind::Late, 1ms, 11us},
        {"early", {false, {1ms, 1900us, 3ms}}, 1, Kind::Early, 2ms, 100us},
        {"a pulse missing", {false, {3ms}}, 2, Kind::Missing, 1ms, {}},
        {"a glitch", {false, {1ms, 1500us, 1501us, 2ms, 3ms}}, 2, Kind::Extra, 1500us, {}},
        {"the last edge never came", {false, {1ms, 2ms}}, 1, Kind::Missing, 3ms, {}},
        {"the line inverted", {true, {1ms, 2ms, 3ms}}, 7, Kind::StartLevel, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LineVerdict verdict = CompareLine(reference, c.recorded, 10us);
        EXPECT_EQ(verdict.differences, c.differences);
        ASSERT_EQ(verdict.first.has_value(), c.first.has_value());
        if (!c.first)
            continue;
        EXPECT_EQ(verdict.first->kind, *c.first);
        EXPECT_EQ(verdict.first->at, c.at);
        EXPECT_EQ(verdict.first->by, c.by);
    }
    EXPECT_EQ(CompareLine(reference, {false, {1ms + 4us, 2ms - 7us, 3ms}}, 10us).worst, 7us);
}

TEST(Comparison, AReferenceWithoutEdgesWantsNoneAndItsToleranceComesFromItsLength) {
    const LineEdges quiet{true, {}};
    EXPECT_EQ(CompareLine(quiet, {true, {}}, 1us).differences, 0u);
    const LineVerdict glitch = CompareLine(quiet, {true, {5us, 6us}}, 1us);
    EXPECT_EQ(glitch.differences, 2u);
    EXPECT_EQ(glitch.first->kind, Kind::Extra);
    EXPECT_FALSE(glitch.first->rising);
    // A tenth of the shortest stretch at one level, never finer than the
    // recording resolves.
    EXPECT_EQ(DefaultTolerance(quiet, 20ms, 1us), 2ms);
    EXPECT_EQ(DefaultTolerance({false, {1ms, 1500us, 9ms}}, 10ms, 1us), 50us);
    EXPECT_EQ(DefaultTolerance({false, {1ms, 1001us}}, 10ms, 500ns), 500ns);
}

TEST(Comparison, EdgesAreReadAtTheirLevelOnTheConnector) {
    // Busy (pin 11) reads inverted: bit 7 set is the pin low.
    Recording recording;
    recording.ports = {889};
    recording.initial = {0x80};
    recording.changes = {{1ms, 0, 0x00}, {2ms, 0, 0x08}, {3ms, 0, 0x88}};
    const auto lines = LinesOf(recording.ports);
    const auto busy = std::find_if(lines.begin(), lines.end(),
                                   [](const RecordedLine& line) { return line.pin == 11; });
    const LineEdges edges = EdgesOf(recording, *busy);
    EXPECT_FALSE(edges.initial);
    EXPECT_EQ(edges.edges, (std::vector<nanoseconds>{1ms, 3ms}));
}
