// SPDX-License-Identifier: MIT
#include "recording/ReferenceCheck.h"

#include <algorithm>

namespace portprov {

using std::chrono::nanoseconds;

bool ReferenceComparison::matches() const {
    return std::all_of(lines.begin(), lines.end(),
                       [](const ComparedLine& line) { return line.verdict.differences == 0; });
}

namespace {

const RecordedLine* LineNamed(std::span<const RecordedLine> lines, const std::string& name) {
    const auto found = std::find_if(lines.begin(), lines.end(), [&name](const RecordedLine& line) {
        return line.wire == name;
    });
    return found == lines.end() ? nullptr : &*found;
}

// A line moved by `shift` and cut to (from, to]: the level at `from` is its
// level at time 0, and the edges after `to` are left out.
LineEdges Cut(const LineEdges& line, nanoseconds shift, nanoseconds from, nanoseconds to) {
    LineEdges cut{line.initial, {}};
    for (const nanoseconds edge : line.edges) {
        const nanoseconds at = edge - shift;
        if (at <= from)
            cut.initial = !cut.initial;
        else if (at <= to)
            cut.edges.push_back(at);
    }
    return cut;
}

// Where a line first turns the trigger's way; nullopt when it never does.
std::optional<nanoseconds> FirstEdge(const LineEdges& line, bool rising) {
    for (std::size_t k = 0; k < line.edges.size(); ++k) {
        if ((line.initial == (k % 2 == 1)) == rising)
            return line.edges[k];
    }
    return std::nullopt;
}

} // namespace

std::vector<std::string> AbsentLines(const Reference& reference,
                                     std::span<const RecordedLine> lines) {
    std::vector<std::string> absent;
    for (const ReferenceLine& line : reference.lines)
        if (LineNamed(lines, line.name) == nullptr)
            absent.push_back(line.name);
    return absent;
}

ReferenceComparison CompareWithReference(const Reference& reference, const Recording& recording,
                                         std::span<const RecordedLine> lines,
                                         std::optional<nanoseconds> tolerance,
                                         nanoseconds resolution,
                                         const std::optional<TriggerEdge>& trigger) {
    // Time 0 of each: the file's start, or the trigger's edge.
    const nanoseconds recordedZero = recording.triggerTime.value_or(nanoseconds{});
    nanoseconds referenceZero{};
    if (trigger && recording.triggerTime) {
        for (const ReferenceLine& line : reference.lines)
            if (line.name == trigger->wire)
                referenceZero = FirstEdge(line.edges, trigger->rising).value_or(nanoseconds{});
    }
    ReferenceComparison comparison;
    comparison.from = -std::min(recordedZero, referenceZero);
    comparison.to = reference.length - referenceZero;
    for (const ReferenceLine& named : reference.lines) {
        const RecordedLine* line = LineNamed(lines, named.name);
        if (line == nullptr || line->channel >= recording.ports.size())
            continue;
        ComparedLine compared{
            *line,
            Cut(named.edges, referenceZero, comparison.from, comparison.to),
            Cut(EdgesOf(recording, *line), recordedZero, comparison.from, comparison.to),
            {}};
        // The default tolerance looks at the stretches from the start.
        LineEdges fromStart = compared.reference;
        for (nanoseconds& edge : fromStart.edges)
            edge -= comparison.from;
        const nanoseconds within = tolerance.value_or(
            DefaultTolerance(fromStart, comparison.to - comparison.from, resolution));
        compared.verdict = CompareLine(compared.reference, compared.recorded, within);
        comparison.lines.push_back(std::move(compared));
    }
    return comparison;
}

} // namespace portprov
