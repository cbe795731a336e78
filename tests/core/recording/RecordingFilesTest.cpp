// SPDX-License-Identifier: MIT
#include "recording/RecordingFiles.h"
#include "TestPaths.h"
#include "recording/RecordedLines.h"
#include "recording/RecordingFormats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

// Each line's level at a time, as a string of 0 and 1: from the initial
// values and every change up to that time.
std::string LevelsAt(const Recording& recording, const std::vector<RecordedLine>& lines,
                     nanoseconds time) {
    std::vector<std::uint8_t> values = recording.initial;
    for (const Recording::Change& change : recording.changes) {
        if (change.time <= time)
            values[change.channel] = change.value;
    }
    std::string levels;
    for (const RecordedLine& line : lines)
        levels += LevelOf(line, values[line.channel]) ? '1' : '0';
    return levels;
}

const struct {
    Recording recording;
    std::int64_t unitNs; // the coarsest that keeps every time whole
} kCases[]{
    // Data and status of LPT1: two registers changing at one time, busy
    // inverted, a status change only on bits without a line.
    {{{888, 889},
      {0x00, 0x80},
      {{1000ns, 0, 0x01},
       {1000ns, 1, 0x00},
       {2500ns, 0, 0x03},
       {4000ns, 1, 0x07},
       {5000ns, 0, 0x02}},
      8000ns,
      {}},
     100},
    // Control (three inverted lines), times to the nanosecond, a change and
    // its undoing at one time, a change at time 0 and one at the end.
    {{{890},
      {0x0B},
      {{0ns, 0, 0x0F}, {7ns, 0, 0x04}, {7ns, 0, 0x0F}, {1'234'567'891ns, 0, 0x00}},
      1'234'567'891ns,
      {}},
     1},
    // 13 registers of no connector: 104 lines, more than the 94 printable
    // characters that a one-character identifier can be.
    {{{1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012},
      std::vector<std::uint8_t>(13, 0x00),
      {{3000ns, 12, 0x80}},
      5000ns,
      {}},
     1000},
};

// Reads the file back: each "#time" block with all levels after it, and
// checks that a block names only lines that changed.
TEST(RecordingFilesTest, VcdReadBackHasTheRecordingsLevelsAtEachTime) {
    for (const auto& c : kCases) {
        const std::vector<RecordedLine> lines = LinesOf(c.recording.ports);
        std::ostringstream out;
        WriteVcd(out, c.recording, lines, {"Portprov 1.0.0", {}});

        std::map<std::string, std::size_t> lineOf; // identifier code -> line
        std::string levels(lines.size(), '?'), expected = levels;
        std::istringstream in(out.str());
        std::int64_t time = -1;
        for (std::string word; in >> word;) {
            if (word == "$var") {
                std::string type, size, id, name;
                in >> type >> size >> id >> name;
                ASSERT_LT(lineOf.size(), lines.size());
                EXPECT_EQ(name, lines[lineOf.size()].wire);
                EXPECT_TRUE(std::all_of(id.begin(), id.end(),
                                        [](char code) { return code > ' ' && code < 127; }));
                EXPECT_EQ(lineOf.count(id), 0u) << id;
                lineOf[id] = lineOf.size();
            } else if (word[0] == '#') {
                EXPECT_EQ(levels, expected) << "at " << time;
                EXPECT_GT(std::stoll(word.substr(1)) * c.unitNs, time);
                time = std::stoll(word.substr(1)) * c.unitNs;
                expected = LevelsAt(c.recording, lines, nanoseconds{time});
            } else if (lineOf.count(word.substr(1)) && (word[0] == '0' || word[0] == '1')) {
                char& level = levels[lineOf[word.substr(1)]];
                EXPECT_TRUE(time == 0 || level != word[0])
                    << word << " at " << time << " unchanged";
                level = word[0];
            }
        }
        EXPECT_EQ(levels, expected) << "at " << time;
        EXPECT_EQ(time, c.recording.length.count());
    }
}

// "1 ms: 0 250 1000": the file's time unit and the times it gives.
std::string TimesOf(const std::string& vcd) {
    std::istringstream in(vcd.substr(vcd.find("$timescale ") + 11));
    std::string number, unit, times;
    in >> number >> unit;
    for (std::string word; in >> word;)
        times += word[0] == '#' && std::isdigit(word[1]) ? " " + word.substr(1) : "";
    return number + " " + unit + ":" + times;
}

// The unit is the coarsest power of ten not coarser than the resolution;
// times are rounded to it, two moments in one unit kept apart and in order,
// and the last time is the length.
TEST(RecordingFilesTest, VcdTimesAreInTheUnitOfTheResolution) {
    const struct {
        nanoseconds resolution;
        std::vector<nanoseconds> changes; // of stift 2 (D0), each a new level
        nanoseconds length;
        std::string times;
    } cases[]{
        {1ms, {250ms, 500'400us}, 1s, "1 ms: 0 250 500 1000"},
        {1300ns, {1300ns, 2600ns, 2900ns, 3200ns}, 10ms, "1 us: 0 1 3 4 5 10000"},
        {999ns, {100ns}, 1'000'049ns, "100 ns: 0 1 10000"},
        {5s, {1s}, 60s, "1 s: 0 1 60"},
        {nanoseconds{0}, {2500ns}, 8000ns, "100 ns: 0 25 80"}, // exact without one
    };
    for (const auto& c : cases) {
        Recording recording{{888}, {0x00}, {}, c.length, {}};
        for (const nanoseconds time : c.changes)
            recording.changes.push_back(
                {time, 0, static_cast<std::uint8_t>(recording.changes.size() % 2 == 0)});
        std::ostringstream out;
        WriteVcd(out, recording, LinesOf(recording.ports), {"Portprov", {}, c.resolution});
        EXPECT_EQ(TimesOf(out.str()), c.times);
    }
}

// The time between reads: a fixed rate's period, else the mean's, a whole
// nanosecond only within a thousandth, never rounded up past the reads.
TEST(RecordingFilesTest, TheResolutionIsNeverCoarserThanTheReads) {
    const struct {
        double meanRate;
        std::optional<double> rate;
        nanoseconds resolution;
    } cases[]{
        {999'999.9, std::nullopt, 1000ns},
        {1e9 / 9.6, std::nullopt, 9ns},
        {1e9 / 10.004, std::nullopt, 10ns},
        {5e6, 1000.0, 1ms},
        {0.0, std::nullopt, 0ns},
    };
    for (const auto& c : cases) {
        RecordingStats stats;
        stats.meanRate = c.meanRate;
        EXPECT_EQ(ResolutionOf(stats, c.rate), c.resolution) << c.meanRate;
    }
}

// Each row ends with a newline; the last is at the recording's length, also
// when no line changed then.
TEST(RecordingFilesTest, CsvHasARowAtTimeZeroOneForEachMomentAndOneAtTheEnd) {
    const std::pair<Recording, std::string> cases[]{
        {kCases[1].recording,
         "tid_s,stift1_strobe,stift14_autofeed,stift16_init,stift17_select_in\n"
         "0.000000000,0,0,1,0\n"
         "1.234567891,1,1,0,1\n"},
        {{{890}, {0x0B}, {{7ns, 0, 0x04}}, 2s, {}},
         "tid_s,stift1_strobe,stift14_autofeed,stift16_init,stift17_select_in\n"
         "0.000000000,0,0,0,0\n"
         "0.000000007,1,1,1,1\n"
         "2.000000000,1,1,1,1\n"},
    };
    for (const auto& [recording, csv] : cases) {
        std::ostringstream out;
        WriteCsv(out, recording, LinesOf(recording.ports));
        EXPECT_EQ(out.str(), csv);
    }
}

#ifndef _WIN32
// The file opens in sigrok (PulseView's library), each sample of each wire
// at the line's level at its time.
TEST(RecordingFilesTest, SigrokReadsTheVcdSampleBySample) {
    if (std::system("sigrok-cli --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sigrok-cli is not installed";
    const Recording& recording = kCases[0].recording;
    const std::vector<RecordedLine> lines = LinesOf(recording.ports);
    const std::filesystem::path path = UniqueTestPath("portprov-recording-") += ".vcd";
    SaveRecording(path, FileKind::Vcd, recording, lines,
                  {"Portprov 1.0.0", std::chrono::system_clock::now()});
    FILE* pipe = ::popen(("sigrok-cli -I vcd -i '" + path.string() + "' 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    // Rows of "wire:00000000 00111111 ...", a wire's samples in several rows.
    std::map<std::string, std::string> samples;
    std::string output;
    for (std::array<char, 4096> row{}; std::fgets(row.data(), row.size(), pipe);) {
        const std::string text = row.data();
        output += text;
        for (const char bit : text.substr(text.find(':') + 1))
            samples[text.substr(0, text.find(':'))] +=
                bit == '0' || bit == '1' ? std::string(1, bit) : "";
    }
    EXPECT_EQ(::pclose(pipe), 0) << output;
    std::filesystem::remove(path);
    for (nanoseconds time{0}; time < recording.length; time += 100ns) {
        const std::string levels = LevelsAt(recording, lines, time);
        for (std::size_t i = 0; i < lines.size(); ++i)
            ASSERT_EQ(samples[lines[i].wire].at(static_cast<std::size_t>(time / 100ns)), levels[i])
                << lines[i].wire << " at " << time.count() << "\n"
                << output;
    }
}

#endif

} // namespace
