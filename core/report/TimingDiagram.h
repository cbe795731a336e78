// SPDX-License-Identifier: MIT
#pragma once

#include "recording/ReferenceCheck.h"

#include <cstddef>
#include <string>

namespace portprov {

// The compared lines as inline SVG, a figure for every few lines so that a
// printed page holds a figure whole: per line the reference's level drawn
// broad and grey behind the recorded level (dark), each difference the
// verdict shows marked red (one mark each: a start level, a missing or extra
// edge, a late or early one from the reference's edge to the recorded one),
// and under each figure a time axis with a few labelled ticks.
// Its size is bounded however many edges a line has: edges that fall on one
// pixel column are drawn as one, so a line is at most a few thousand
// segments.
std::string TimingDiagramHtml(const ReferenceComparison& comparison);

// The lines one figure holds.
inline constexpr std::size_t kLinesPerFigure = 12;

} // namespace portprov
