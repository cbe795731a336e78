// SPDX-License-Identifier: MIT
#include "report/LoopbackReport.h"

#include "input/DecimalText.h"
#include "loopback/LoopbackTexts.h"
#include "report/HtmlPage.h"

#include <array>

namespace portprov {

namespace {

struct LoopbackPage {
    const ReportFacts& facts;
    LoopbackPlug plug;
    const LoopbackTally& tally;
    bool stopped;
};

std::string LoopbackFacts(const LoopbackPage& page) {
    return FactsHtml(page.facts, {{"Slingkontakt", HtmlEscaped(PlugText(page.plug))},
                                  {"Omgångar", HtmlEscaped(RoundsText(page.tally))}});
}

std::string LoopbackVerdict(const LoopbackPage& page) {
    return VerdictHtml(page.tally.passed(), RepeatedVerdictText(page.tally, page.stopped));
}

// "omgång 17 efter 0,012345 s: fastnat hög", or a dash while it never failed.
std::string FirstFailure(const WireTally& wire) {
    if (wire.failedRounds == 0)
        return "–";
    return "omgång " + std::to_string(wire.firstRound) + " efter " +
           Decimal(std::chrono::duration<double>(wire.firstTime).count(), 6,
                   SwedishNumberFormat()) +
           " s: " + wire.firstVerdict;
}

std::string WireRows(const LoopbackPage& page) {
    std::string rows;
    for (const WireTally& wire : page.tally.wires()) {
        const bool works = wire.failedRounds == 0;
        // Built by appending, as GCC 12 sees impossible bounds in chains of
        // string&& + const char* once inlined into a Release build.
        rows += "<tr class=\"";
        rows += works ? "stammer" : "skiljer";
        rows += "\"><td>";
        rows += HtmlEscaped(WireText(wire.wire));
        rows += "</td><td class=\"";
        rows += works ? "godkand\">Fungerar" : "underkand\">Fel";
        rows += "</td><td>";
        rows += std::to_string(wire.failedRounds);
        rows += " av ";
        rows += std::to_string(page.tally.rounds());
        rows += "</td><td>";
        rows += HtmlEscaped(FirstFailure(wire));
        rows += "</td></tr>\n";
    }
    return "<h2>Ledningarna</h2>\n<table class=\"domar\">\n<thead><tr><th>Ledning</th>"
           "<th>Resultat</th><th>Omgångar med fel</th><th>Första felet</th></tr></thead>\n"
           "<tbody>\n" +
           rows + "</tbody>\n</table>\n";
}

// The page's sections, in order.
constexpr std::array<std::string (*)(const LoopbackPage&), 3> kLoopbackSections{
    &LoopbackFacts, &LoopbackVerdict, &WireRows};

} // namespace

std::string LoopbackReportHtml(const ReportFacts& facts, LoopbackPlug plug,
                               const LoopbackTally& tally, bool stopped) {
    const LoopbackPage page{facts, plug, tally, stopped};
    std::string body;
    for (const auto& section : kLoopbackSections)
        body += section(page);
    return HtmlPage("Slingtest", body);
}

} // namespace portprov
