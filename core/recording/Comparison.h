// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <vector>

namespace portprov {

// One line of a recording as its level at time 0 and the times at which it
// changed: each change turns the level over, so the edges alternate.
struct LineEdges {
    bool initial = false;
    std::vector<std::chrono::nanoseconds> edges;
};

LineEdges EdgesOf(const Recording& recording, const RecordedLine& line);

// Where a recorded line first parts from the reference's.
struct EdgeDifference {
    enum class Kind { StartLevel, Missing, Extra, Late, Early };
    Kind kind = Kind::StartLevel;
    std::chrono::nanoseconds
        at{}; // the reference's edge (Missing, Late, Early), the recorded one (Extra)
    std::chrono::nanoseconds by{}; // how late (Late) or early (Early)
    bool rising = false;           // the edge's direction
};

// The differences a verdict keeps to be shown: a line that chatters for an
// hour must not take the memory with it.
inline constexpr std::size_t kMostShownDifferences = 1000;

struct LineVerdict {
    std::size_t differences = 0;
    std::optional<EdgeDifference> first;
    std::vector<EdgeDifference> shown; // the first kMostShownDifferences, in time order
    std::chrono::nanoseconds worst{};  // the largest deviation of the edges that matched
    std::chrono::nanoseconds tolerance{};
};

// The tolerance of a line when none is given: a tenth of the reference's
// shortest interval between two edges (of its length, `length`, with fewer
// than two), never finer than the recording's resolution.
std::chrono::nanoseconds DefaultTolerance(const LineEdges& reference,
                                          std::chrono::nanoseconds length,
                                          std::chrono::nanoseconds resolution);

// Compares a recorded line with the reference's, edge by edge in time order:
// the level at time 0 must be the same, and each edge of the reference must
// have one of the same direction within `tolerance`. A recorded edge of the
// same direction further off, before the next reference edge (or after the
// one before it, with no edge back before its time), is that edge late (or
// early); an edge with no counterpart is missing, or extra (a glitch is two).
// Each counts as one difference.
LineVerdict CompareLine(const LineEdges& reference, const LineEdges& recorded,
                        std::chrono::nanoseconds tolerance);

} // namespace portprov
