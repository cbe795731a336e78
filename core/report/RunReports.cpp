// SPDX-License-Identifier: MIT
#include "report/RunReports.h"

#include "recording/WholeFile.h"
#include "report/ComparisonReport.h"
#include "report/LoopbackReport.h"

#include <utility>

namespace portprov {

namespace {

ReportFacts WithRun(ReportFacts facts, const ReportedRun& run) {
    facts.port = run.port;
    facts.signal = run.signal;
    return facts;
}

} // namespace

RunReport ReportTo(std::string path, ReportFacts facts) {
    RunReport report;
    report.path = std::move(path);
    report.comparison = [facts](const ReportedRun& run, const ReferenceComparison& comparison) {
        return ComparisonReportHtml(WithRun(facts, run), comparison);
    };
    report.loopback = [facts](const ReportedRun& run, LoopbackPlug plug, const LoopbackTally& tally,
                              bool stopped) {
        return LoopbackReportHtml(WithRun(facts, run), plug, tally, stopped);
    };
    return report;
}

void SaveReport(const std::filesystem::path& path, const std::string& html) {
    SaveWholeFile(path, [&html](std::ostream& file) { file << html; });
}

} // namespace portprov
