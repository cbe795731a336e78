// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Comparison.h"
#include "recording/RecordedLines.h"
#include "recording/ReferenceFile.h"

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace portprov {

// A recording's line beside the reference's line of the same name, both on
// one time axis (time 0 the signal's start, or the trigger's edge), and how
// they compare.
struct ComparedLine {
    RecordedLine line; // the recording's, with its label and pin
    LineEdges reference;
    LineEdges recorded;
    LineVerdict verdict;
};

struct ReferenceComparison {
    std::vector<ComparedLine> lines; // in the reference's order
    // The stretch compared, on that axis: where both recordings have
    // levels, to the reference's end.
    std::chrono::nanoseconds from{};
    std::chrono::nanoseconds to{};

    bool matches() const;
};

// The reference's lines a recording of these lines does not have; empty
// when it has them all. Its extra lines are not compared.
std::vector<std::string> AbsentLines(const Reference& reference,
                                     std::span<const RecordedLine> lines);

// The line the recording waited for, and its edge: the reference was
// recorded waiting for the same, so its first such edge is its time 0.
struct TriggerEdge {
    std::string wire;
    bool rising = true;
};

// Compares each of the reference's lines with the recording's line of that
// name (AbsentLines must be empty), each within `tolerance`, or by default
// within DefaultTolerance of the reference's line and the recording's
// resolution.
ReferenceComparison CompareWithReference(const Reference& reference, const Recording& recording,
                                         std::span<const RecordedLine> lines,
                                         std::optional<std::chrono::nanoseconds> tolerance,
                                         std::chrono::nanoseconds resolution,
                                         const std::optional<TriggerEdge>& trigger = {});

} // namespace portprov
