// SPDX-License-Identifier: MIT
#pragma once

#include "recording/ReferenceCheck.h"
#include "report/ReportFacts.h"

#include <string>

namespace portprov {

// The report of a recording compared with a reference, a page for the
// customer: the facts, the verdict, each line's verdict with its Swedish
// text (and the first of its differences), the summary, and the timing
// diagram of the compared lines (TimingDiagramHtml). One self-contained
// HTML file in UTF-8 (HtmlPage).
std::string ComparisonReportHtml(const ReportFacts& facts, const ReferenceComparison& comparison);

// The differences a line's row lists; the diagram marks all it was shown.
inline constexpr std::size_t kListedDifferences = 10;

} // namespace portprov
