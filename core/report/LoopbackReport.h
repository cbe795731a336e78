// SPDX-License-Identifier: MIT
#pragma once

#include "connector/LoopbackPlug.h"
#include "loopback/LoopbackTally.h"
#include "report/ReportFacts.h"

#include <string>

namespace portprov {

// The report of a loopback run, a page for the customer: the facts with the
// plug, the verdict (RepeatedVerdictText), the rounds, and per wire the
// rounds it failed in and its first failure (round, time since the start,
// verdict). stopped: the run was ended early. One self-contained HTML file
// in UTF-8 (HtmlPage).
std::string LoopbackReportHtml(const ReportFacts& facts, LoopbackPlug plug,
                               const LoopbackTally& tally, bool stopped);

} // namespace portprov
