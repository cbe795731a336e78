// SPDX-License-Identifier: MIT
#include "report/ComparisonReport.h"

#include "cli/ExpectedRecording.h"
#include "input/DecimalText.h"
#include "report/HtmlPage.h"
#include "report/TimingDiagram.h"

#include <array>

namespace portprov {

namespace {

struct ComparisonPage {
    const ReportFacts& facts;
    const ReferenceComparison& comparison;
};

std::string ComparisonFacts(const ComparisonPage& page) {
    return FactsHtml(page.facts);
}

std::string ComparisonVerdict(const ComparisonPage& page) {
    const bool passed = page.comparison.matches();
    return VerdictHtml(passed, std::string(passed ? "Godkänt. " : "Underkänt. ") +
                                   ComparisonSummary(page.comparison, page.facts.reference));
}

// The first differences of a line that differs, as a list under its text.
std::string DifferenceList(const ComparedLine& line) {
    if (line.verdict.shown.size() < 2)
        return {};
    std::string list = "<ul class=\"skillnader\">";
    const std::size_t listed = std::min(line.verdict.shown.size(), kListedDifferences);
    for (std::size_t i = 0; i < listed; ++i)
        list += "<li>" +
                HtmlEscaped(
                    DifferenceText(line.verdict.shown[i], line.reference, SwedishNumberFormat())) +
                "</li>";
    if (line.verdict.differences > listed)
        list += "<li>… och " + std::to_string(line.verdict.differences - listed) + " till</li>";
    return list + "</ul>";
}

std::string LineVerdicts(const ComparisonPage& page) {
    std::string rows;
    for (const ComparedLine& line : page.comparison.lines) {
        const bool passed = line.verdict.differences == 0;
        // Built by appending: GCC 12 sees impossible bounds in chains of
        // string&& + const char* once inlined into a batched Release build.
        rows += "<tr class=\"";
        rows += passed ? "stammer" : "skiljer";
        rows += "\"><td>";
        rows += HtmlEscaped(line.line.wire);
        rows += "</td><td class=\"";
        rows += passed ? "godkand\">Stämmer" : "underkand\">Skiljer sig";
        rows += "</td><td>";
        rows += HtmlEscaped(ComparedLineText(line, SwedishNumberFormat()));
        rows += DifferenceList(line);
        rows += "</td></tr>\n";
    }
    return "<h2>Ledningarna</h2>\n<table class=\"domar\">\n<thead><tr><th>Ledning</th>"
           "<th>Resultat</th><th>Jämförelse</th></tr></thead>\n<tbody>\n" +
           rows + "</tbody>\n</table>\n";
}

std::string Diagram(const ComparisonPage& page) {
    if (page.comparison.lines.empty())
        return {};
    return "<h2>Tidsdiagram</h2>\n" + TimingDiagramHtml(page.comparison);
}

// The page's sections, in order.
constexpr std::array<std::string (*)(const ComparisonPage&), 4> kComparisonSections{
    &ComparisonFacts, &ComparisonVerdict, &LineVerdicts, &Diagram};

} // namespace

std::string ComparisonReportHtml(const ReportFacts& facts, const ReferenceComparison& comparison) {
    const ComparisonPage page{facts, comparison};
    std::string body;
    for (const auto& section : kComparisonSections)
        body += section(page);
    return HtmlPage("Jämförelse med referens", body);
}

} // namespace portprov
