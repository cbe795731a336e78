// SPDX-License-Identifier: MIT
#include "cli/ComparisonTally.h"

#include "cli/ExpectedRecording.h"
#include "cli/SummaryNumbers.h"

namespace portprov {

void ComparisonTally::add(const ReferenceComparison& comparison, std::chrono::nanoseconds since) {
    ++rounds_;
    differedRounds_ += comparison.matches() ? 0 : 1;
    if (lines_.empty())
        for (const ComparedLine& compared : comparison.lines)
            lines_.push_back({compared.line});
    for (std::size_t i = 0; i < comparison.lines.size() && i < lines_.size(); ++i) {
        const LineVerdict& verdict = comparison.lines[i].verdict;
        if (verdict.differences == 0)
            continue;
        Line& line = lines_[i];
        if (line.differedRounds++ > 0)
            continue;
        line.firstRound = rounds_;
        line.firstTime = since;
        line.firstDifferences = verdict.differences;
        if (verdict.first)
            line.firstDifference = DifferenceText(*verdict.first, comparison.lines[i].reference,
                                                  SwedishNumberFormat());
    }
}

namespace {

std::string RoundCount(std::uint64_t count) {
    return std::to_string(count) + (count == 1 ? " omgång" : " omgångar");
}

} // namespace

std::string ComparisonTallyLine(const ComparisonTally::Line& line, std::uint64_t rounds) {
    std::string text = line.line.wire + " (" + line.line.label + "): skilde sig i " +
                       std::to_string(line.differedRounds) + " av " + RoundCount(rounds);
    if (line.differedRounds == 0)
        return text;
    return text + ", första i omgång " + std::to_string(line.firstRound) + " efter " +
           Decimal(std::chrono::duration<double>(line.firstTime).count(), 6,
                   SwedishNumberFormat()) +
           " s, " + std::to_string(line.firstDifferences) +
           (line.firstDifferences == 1 ? " skillnad" : " skillnader") + "; först " +
           line.firstDifference;
}

std::string ComparisonRoundsText(const ComparisonTally& tally, bool interrupted) {
    return RoundCount(tally.rounds()) + ", " + std::to_string(tally.differedRounds()) +
           " med skillnader" + (interrupted ? " (avbrutet)" : "");
}

} // namespace portprov
