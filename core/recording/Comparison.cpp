// SPDX-License-Identifier: MIT
#include "recording/Comparison.h"

#include "recording/RecordedLines.h"

#include <algorithm>

namespace portprov {

using std::chrono::nanoseconds;

LineEdges EdgesOf(const Recording& recording, const RecordedLine& line) {
    LineEdges edges{LevelOf(line, recording.initial[line.channel]), {}};
    bool level = edges.initial;
    for (const Recording::Change& change : recording.changes) {
        if (change.channel != line.channel || LevelOf(line, change.value) == level)
            continue;
        level = !level;
        edges.edges.push_back(change.time);
    }
    return edges;
}

nanoseconds DefaultTolerance(const LineEdges& reference, nanoseconds length,
                             nanoseconds resolution) {
    // Between edges only: the stretch before the first edge is the time the
    // signal took to start, which says nothing of the line's pace.
    nanoseconds shortest = length;
    for (std::size_t k = 1; k < reference.edges.size(); ++k)
        shortest = std::min(shortest, reference.edges[k] - reference.edges[k - 1]);
    return std::max(shortest / 10, resolution);
}

namespace {

// Edge k of a line rises when the level before it was low.
bool Rises(const LineEdges& line, std::size_t k) {
    return line.initial == (k % 2 == 1);
}

class EdgeWalk {
public:
    EdgeWalk(const LineEdges& reference, const LineEdges& recorded, nanoseconds tolerance)
        : r_(reference), e_(recorded), tol_(tolerance) {
        verdict_.tolerance = tolerance;
    }

    LineVerdict run() {
        if (r_.initial != e_.initial)
            note({EdgeDifference::Kind::StartLevel, {}, {}, false});
        while (i_ < r_.edges.size() || j_ < e_.edges.size())
            step();
        return verdict_;
    }

private:
    using Kind = EdgeDifference::Kind;

    void step() {
        if (i_ == r_.edges.size())
            return extra();
        if (j_ == e_.edges.size())
            return missing();
        const nanoseconds ref = r_.edges[i_];
        const nanoseconds rec = e_.edges[j_];
        const nanoseconds off = rec - ref;
        if (Rises(r_, i_) == Rises(e_, j_)) {
            if (off >= -tol_ && off <= tol_) {
                verdict_.worst = std::max(verdict_.worst, off < nanoseconds{} ? -off : off);
                return advance();
            }
            const bool beforeNext = i_ + 1 == r_.edges.size() || rec < r_.edges[i_ + 1] - tol_;
            if (off > tol_ && beforeNext) {
                note({Kind::Late, ref, off, Rises(r_, i_)});
                return advance();
            }
            const bool afterLast = i_ == 0 || rec > r_.edges[i_ - 1] + tol_;
            const bool staysTill = j_ + 1 == e_.edges.size() || e_.edges[j_ + 1] >= ref - tol_;
            if (off < -tol_ && afterLast && staysTill) {
                note({Kind::Early, ref, -off, Rises(r_, i_)});
                return advance();
            }
        }
        return rec < ref ? extra() : missing();
    }

    void advance() {
        ++i_;
        ++j_;
    }
    void extra() {
        note({Kind::Extra, e_.edges[j_], {}, Rises(e_, j_)});
        ++j_;
    }
    void missing() {
        note({Kind::Missing, r_.edges[i_], {}, Rises(r_, i_)});
        ++i_;
    }
    void note(const EdgeDifference& difference) {
        if (verdict_.differences++ == 0)
            verdict_.first = difference;
        if (verdict_.shown.size() < kMostShownDifferences)
            verdict_.shown.push_back(difference);
    }

    const LineEdges& r_;
    const LineEdges& e_;
    nanoseconds tol_;
    std::size_t i_ = 0;
    std::size_t j_ = 0;
    LineVerdict verdict_;
};

} // namespace

LineVerdict CompareLine(const LineEdges& reference, const LineEdges& recorded,
                        nanoseconds tolerance) {
    return EdgeWalk(reference, recorded, tolerance).run();
}

} // namespace portprov
