// SPDX-License-Identifier: MIT
#include "recording/RecordingFiles.h"
#include "TestPaths.h"
#include "recording/RecordedLines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
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

TEST(RecordingFilesTest, CsvHasARowAtTimeZeroAndOneForEachMoment) {
    const Recording& recording = kCases[1].recording;
    std::ostringstream out;
    WriteCsv(out, recording, LinesOf(recording.ports));
    EXPECT_EQ(out.str(), "tid_s,stift1_strobe,stift14_autofeed,stift16_init,stift17_select_in\n"
                         "0.000000000,0,0,1,0\n"
                         "1.234567891,1,1,0,1\n");
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
    SaveVcd(path, recording, lines, {"Portprov 1.0.0", std::chrono::system_clock::now()});
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
