// SPDX-License-Identifier: MIT
#include "recording/RecordingFiles.h"
#include "TestPaths.h"
#include "recording/RecordedLines.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

// The register values at a time: the initial ones, then every change up to it.
std::vector<std::uint8_t> ValuesAt(const Recording& recording, nanoseconds time) {
    std::vector<std::uint8_t> values = recording.initial;
    for (const Recording::Change& change : recording.changes) {
        if (change.time <= time)
            values[change.channel] = change.value;
    }
    return values;
}

// A VCD file read back: its time unit, each wire's level at each "#time"
// (in ns), and whether a block named a wire that had not changed.
struct ReadVcd {
    std::int64_t unitNs = 0;
    std::vector<std::string> wires;
    std::map<std::int64_t, std::map<std::string, bool>> levelsAt;
    bool repeatsALevel = false;
    std::int64_t lastTime = -1;
};

ReadVcd ReadBack(const std::string& text) {
    ReadVcd vcd;
    std::map<std::string, std::string> wireOf;
    std::map<std::string, bool> levels;
    std::istringstream in(text);
    std::string word;
    std::int64_t time = 0;
    while (in >> word) {
        if (word == "$timescale") {
            std::int64_t number = 0;
            std::string unit;
            in >> number >> unit;
            vcd.unitNs = number * (unit == "s"    ? 1'000'000'000
                                   : unit == "ms" ? 1'000'000
                                   : unit == "us" ? 1'000
                                                  : 1);
        } else if (word == "$var") {
            std::string type, size, id, name;
            in >> type >> size >> id >> name;
            wireOf[id] = name;
            vcd.wires.push_back(name);
        } else if (word[0] == '#') {
            time = std::stoll(word.substr(1)) * vcd.unitNs;
            EXPECT_GT(time, vcd.lastTime) << "times must rise";
            vcd.lastTime = time;
            vcd.levelsAt[time] = levels;
        } else if ((word[0] == '0' || word[0] == '1') && wireOf.count(word.substr(1))) {
            const std::string& wire = wireOf[word.substr(1)];
            const bool level = word[0] == '1';
            if (time > 0 && levels.count(wire) && levels[wire] == level)
                vcd.repeatsALevel = true;
            levels[wire] = level;
            vcd.levelsAt[time] = levels;
        }
    }
    return vcd;
}

struct FileCase {
    const char* what;
    Recording recording;
    std::int64_t unitNs;
    std::size_t times; // "#time" blocks: time 0, each moment a line changed, the end
};

const std::vector<FileCase> kCases{
    // Data and status of LPT1: two registers changing at one time, busy
    // inverted, a status change only on bits without a line.
    {"data and status",
     {{888, 889},
      {0x00, 0x80},
      {{1000ns, 0, 0x01},
       {1000ns, 1, 0x00},
       {2500ns, 0, 0x03},
       {4000ns, 1, 0x07},
       {5000ns, 0, 0x02}},
      8000ns,
      {}},
     100,
     5},
    // Control (three inverted lines), times to the nanosecond, a change and
    // its undoing at one time, the last change at the end.
    {"control",
     {{890},
      {0x0B},
      {{7ns, 0, 0x04}, {7ns, 0, 0x0B}, {1'234'567'891ns, 0, 0x00}},
      1'234'567'891ns,
      {}},
     1,
     2},
};

TEST(RecordingFilesTest, VcdReadBackHasTheRecordingsLevelsAtEachTime) {
    for (const FileCase& c : kCases) {
        SCOPED_TRACE(c.what);
        const std::vector<RecordedLine> lines = LinesOf(c.recording.ports);
        std::ostringstream out;
        WriteVcd(out, c.recording, lines, {"Portprov 1.0.0", {}});
        const ReadVcd vcd = ReadBack(out.str());
        EXPECT_EQ(vcd.unitNs, c.unitNs);
        EXPECT_FALSE(vcd.repeatsALevel);
        EXPECT_EQ(vcd.lastTime, c.recording.length.count());
        ASSERT_EQ(vcd.wires.size(), lines.size());
        std::size_t blocks = 0;
        for (const auto& [time, levels] : vcd.levelsAt) {
            const std::vector<std::uint8_t> values = ValuesAt(c.recording, nanoseconds{time});
            for (std::size_t i = 0; i < lines.size(); ++i)
                EXPECT_EQ(levels.at(lines[i].wire), LevelOf(lines[i], values[lines[i].channel]))
                    << lines[i].wire << " at " << time;
            ++blocks;
        }
        EXPECT_EQ(blocks, c.times);
    }
}

TEST(RecordingFilesTest, CsvHasARowAtTimeZeroAndOneForEachMoment) {
    const Recording& recording = kCases[1].recording;
    std::ostringstream out;
    WriteCsv(out, recording, LinesOf(recording.ports));
    EXPECT_EQ(out.str(), "tid_s,stift1_strobe,stift14_autofeed,stift16_init,stift17_select_in\n"
                         "0.000000000,0,0,0,0\n"
                         "1.234567891,1,1,0,1\n");
}

#ifndef _WIN32
// The file opens in sigrok (PulseView's library): every wire is there, and
// each sample of it is the line's level at that time.
TEST(RecordingFilesTest, SigrokReadsTheVcdSampleBySample) {
    if (std::system("sigrok-cli --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sigrok-cli is not installed";
    const Recording& recording = kCases[0].recording;
    const std::vector<RecordedLine> lines = LinesOf(recording.ports);
    const std::filesystem::path path = UniqueTestPath("portprov-recording-") += ".vcd";
    SaveVcd(path, recording, lines, {"Portprov 1.0.0", std::chrono::system_clock::now()});
    FILE* pipe = ::popen(("sigrok-cli -I vcd -i '" + path.string() + "' 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    std::array<char, 4096> chunk{};
    while (const std::size_t size = std::fread(chunk.data(), 1, chunk.size(), pipe))
        output.append(chunk.data(), size);
    EXPECT_EQ(::pclose(pipe), 0) << output;
    std::filesystem::remove(path);

    // "wire:00000000 00111111 ..." rows, a wire's samples in several rows.
    std::map<std::string, std::string> samples;
    std::istringstream rows(output);
    for (std::string row; std::getline(rows, row);) {
        const std::size_t colon = row.find(':');
        if (colon == std::string::npos)
            continue;
        for (const char bit : row.substr(colon + 1)) {
            if (bit == '0' || bit == '1')
                samples[row.substr(0, colon)] += bit;
        }
    }
    for (const RecordedLine& line : lines) {
        std::string expected;
        for (nanoseconds time{0}; time < recording.length; time += 100ns)
            expected += LevelOf(line, ValuesAt(recording, time)[line.channel]) ? '1' : '0';
        EXPECT_EQ(samples[line.wire], expected) << line.wire << "\n" << output;
    }
}
#endif

} // namespace
