// SPDX-License-Identifier: MIT
#pragma once

#include "recording/ReferenceCheck.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace portprov {

// A comparison with a good board repeated until an intermittent fault shows:
// per line of the reference how many rounds differed, and the first, so that
// a run of days takes no more memory than one round.
class ComparisonTally {
public:
    struct Line {
        RecordedLine line;
        std::uint64_t differedRounds = 0;
        std::uint64_t firstRound = 0;         // from 1; 0 while it never differed
        std::chrono::nanoseconds firstTime{}; // since the run began
        std::size_t firstDifferences = 0;     // in that round
        std::string firstDifference{};        // "vid 1,50 ms: en stigande flank saknas"
    };

    // Counts one round, `since` the run began.
    void add(const ReferenceComparison& comparison, std::chrono::nanoseconds since);

    std::uint64_t rounds() const { return rounds_; }
    std::uint64_t differedRounds() const { return differedRounds_; }
    const std::vector<Line>& lines() const { return lines_; }

private:
    std::vector<Line> lines_;
    std::uint64_t rounds_ = 0;
    std::uint64_t differedRounds_ = 0;
};

// "stift15_fel (Stift 15 Fel): skilde sig i 3 av 200 omgångar, första i
// omgång 17 efter 1,234567 s, 2 skillnader; först vid 1,50 ms: en stigande
// flank saknas", only the count while the line never differed.
std::string ComparisonTallyLine(const ComparisonTally::Line& line, std::uint64_t rounds);
// "200 omgångar, 3 med skillnader", and " (avbrutet)" when a signal ended it.
std::string ComparisonRoundsText(const ComparisonTally& tally, bool interrupted);

} // namespace portprov
