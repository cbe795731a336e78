// SPDX-License-Identifier: MIT
#include "cli/RepeatedComparison.h"

#include "process/DeferredTerminationSignals.h"
#include "recording/RecordedLines.h"
#include "recording/ReferenceFile.h"
#include "recording/WholeFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace portprov;
using namespace std::chrono_literals;

namespace {

// Fel (pin 15, bit 3 of 889) high from 1 ms to 2 ms in a good board's
// recording; a bad round misses the pulse.
PreparedRecording Prepared() {
    PreparedRecording prepared;
    const std::uint16_t status[] = {889};
    prepared.lines = LinesOf(status);
    std::istringstream csv("tid_s,stift15_fel\n0,0\n0.001,1\n0.002,0\n0.003,0\n");
    prepared.reference = ReadReference(csv).reference;
    return prepared;
}

RecordingEnding Round(bool good) {
    RecorderResult result;
    result.recording.ports = {889};
    result.recording.initial = {0x00};
    if (good)
        result.recording.changes = {{1ms, 0, 0x08}, {2ms, 0, 0x00}};
    result.recording.length = 3ms;
    return {std::move(result), false};
}

struct Rounded {
    int status;
    std::string out;
};

// Runs the rounds in turn ('g' good, 'b' bad, 'f' failed, 'i' interrupted
// by SIGINT while it ran), `repeat` times, saving a CSV file when one is named.
Rounded Rounds(const std::string& rounds, std::uint64_t repeat, const std::string& csv = {}) {
    RecordRequest request;
    request.expect = "bra.csv";
    request.repeat = repeat;
    PreparedRecording prepared = Prepared();
    if (!csv.empty()) {
        request.files = {{FileKind::Csv, csv}};
        prepared.files.push_back(CheckCanSave(csv));
    }
    const DeferredTerminationSignals held;
    std::size_t next = 0;
    const auto round = [&] {
        const char kind = rounds.at(next++);
        if (kind == 'i')
            std::raise(SIGINT);
        return kind == 'f' ? RecordingEnding{} : Round(kind != 'b');
    };
    std::int64_t ticks = 0;
    std::ostringstream out, err;
    const int status = RunRepeatedComparison(request, prepared, round, {}, "Portprov test", out,
                                             err, {}, [&ticks] { return ticks++ * 1ms; });
    return {status, out.str()};
}

} // namespace

TEST(RepeatedComparison, EachLineCountsTheRoundsItDifferedInAndTheFirst) {
    const struct {
        const char* rounds;
        std::uint64_t repeat;
        int status;
        const char* fel; // the line of Fel
        const char* end;
    } cases[] = {
        {"ggg", 3, 0, "skilde sig i 0 av 3 omgångar\n", "3 omgångar, 0 med skillnader\n"},
        {"gbgb", 4, 3,
         "skilde sig i 2 av 4 omgångar, första i omgång 2 efter 0,002000 s, 2 skillnader; "
         "först vid 1,00 ms: en stigande flank saknas\n",
         "4 omgångar, 2 med skillnader\n"},
        // Until a signal: the round it cut short is not counted.
        {"gbgi", 0, 3, "skilde sig i 1 av 3 omgångar", "3 omgångar, 1 med skillnader (avbrutet)\n"},
        {"ig", 0, 0, nullptr, "0 omgångar, 0 med skillnader (avbrutet)\n"},
        // A failed round ends the run after the counts so far.
        {"gbf", 0, 1, "skilde sig i 1 av 2 omgångar", "2 omgångar, 1 med skillnader (avbrutet)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rounds);
        const Rounded run = Rounds(c.rounds, c.repeat);
        EXPECT_EQ(run.status, c.status);
        const std::string fel = "stift15_fel (Stift 15 Fel): " + std::string(c.fel ? c.fel : "");
        EXPECT_TRUE(c.fel == nullptr || run.out.find(fel) != std::string::npos) << run.out;
        EXPECT_TRUE(run.out.ends_with(c.end)) << run.out;
    }
}

TEST(RepeatedComparison, TheFileKeepsTheFirstRoundThatDiffered) {
    const auto csv = std::filesystem::temp_directory_path() / "portprov-repeated.csv";
    const auto saved = [&csv](const std::string& rounds) {
        std::filesystem::remove(csv);
        Rounds(rounds, rounds.size(), csv.string());
        std::ifstream in(csv);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    // The bad round has Fel low throughout; the good ones rise at 1 ms.
    EXPECT_EQ(saved("gbg").find("0.001000000"), std::string::npos);
    EXPECT_NE(saved("ggg").find("0.001000000"), std::string::npos);
    std::filesystem::remove(csv);
}
