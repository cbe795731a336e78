// SPDX-License-Identifier: MIT
// The customer's reports: what comes from outside is escaped, the diagram
// marks what the verdicts found, and its size stays bounded. The page as a
// browser parses it is the command line's test (check_report_cli.py).
#include "report/ComparisonReport.h"
#include "report/HtmlPage.h"
#include "report/LoopbackReport.h"

#include <gtest/gtest.h>

using namespace portprov;
using std::chrono::microseconds;
using std::chrono::nanoseconds;

namespace {

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// A line of the reference's edges compared with the recorded ones.
ComparedLine Line(const std::string& wire, std::vector<nanoseconds> reference, LineEdges recorded) {
    ComparedLine line{{0, 0, false, "Stift 2 & <D0>", wire, 2},
                      {false, std::move(reference)},
                      std::move(recorded),
                      {}};
    line.verdict = CompareLine(line.reference, line.recorded, microseconds(10));
    return line;
}

ReportFacts Facts() {
    return {std::chrono::system_clock::time_point{},
            "Portprov 1.0",
            "888 <a href='x'>",
            "Simulerad \"PC\"",
            "",
            "ref<1>&.csv"};
}

TEST(Report, TextsFromOutsideAreEscaped) {
    EXPECT_EQ(HtmlEscaped("a<b>&\"'c"), "a&lt;b&gt;&amp;&quot;&#39;c");
    EXPECT_EQ(HtmlEscaped("Stämmer åäö"), "Stämmer åäö");

    const std::vector<nanoseconds> edges{microseconds(100), microseconds(200)};
    const ReferenceComparison comparison{
        {Line("<script>alert(1)</script>&x", edges, {false, edges})}, {}, microseconds(300)};
    const std::string html = ComparisonReportHtml(Facts(), comparison);
    EXPECT_EQ(Count(html, "<script"), 0u);
    EXPECT_EQ(Count(html, "<a "), 0u);
    for (const char* escaped :
         {"&lt;script&gt;alert(1)&lt;/script&gt;&amp;x", "Stift 2 &amp; &lt;D0&gt;",
          "ref&lt;1&gt;&amp;.csv", "888 &lt;a href=&#39;x&#39;&gt;", "Simulerad &quot;PC&quot;"})
        EXPECT_NE(html.find(escaped), std::string::npos) << escaped;
}

TEST(Report, TheDiagramMarksEachShownDifferenceOnceAndAPassNever) {
    const std::vector<nanoseconds> square{microseconds(100), microseconds(200), microseconds(300),
                                          microseconds(400)};
    const auto at = [](std::initializer_list<int> us) {
        std::vector<nanoseconds> edges;
        for (const int t : us)
            edges.push_back(microseconds(t));
        return edges;
    };
    const struct {
        LineEdges recorded;
        std::size_t marks;
        const char* verdict;
    } cases[] = {
        {{false, square}, 0, "utfall godkant"},
        {{false, at({103, 198, 300, 401})}, 0, "utfall godkant"},
        {{true, at({1, 100, 200, 300, 400})}, 2, "utfall underkant"},         // start level, extra
        {{false, at({100, 200})}, 2, "utfall underkant"},                     // two missing
        {{false, at({100, 150, 160, 200, 300, 400})}, 2, "utfall underkant"}, // a glitch
        {{false, at({100, 250, 300, 380})}, 2, "utfall underkant"},           // late, early
    };
    for (const auto& c : cases) {
        const ReferenceComparison comparison{
            {Line("stift2", square, c.recorded)}, {}, microseconds(500)};
        ASSERT_EQ(comparison.lines[0].verdict.shown.size(), c.marks);
        const std::string html = ComparisonReportHtml(Facts(), comparison);
        EXPECT_EQ(Count(html, "class=\"skillnad\""), c.marks);
        EXPECT_EQ(Count(html, "<tr class=\"skiljer\">"), c.marks == 0 ? 0u : 1u);
        EXPECT_NE(html.find(c.verdict), std::string::npos);
    }
}

TEST(Report, ALineOfAMillionEdgesKeepsTheDiagramSmall) {
    std::vector<nanoseconds> edges;
    for (int k = 1; k <= 1'000'000; ++k)
        edges.push_back(nanoseconds(k * 100));
    LineEdges recorded{false, edges};
    const ReferenceComparison comparison{
        {Line("stift2", edges, recorded)}, {}, nanoseconds(100'000'001)};
    const std::string html = ComparisonReportHtml(Facts(), comparison);
    EXPECT_LT(html.size(), 100'000u);
    EXPECT_GT(Count(html, "V"), 1'000u); // the columns are still drawn
}

TEST(Report, ALoopbackRunHasEachWiresFirstFailure) {
    LoopbackTally tally(LoopbackPlug::Data, [t = nanoseconds{}]() mutable {
        return t += std::chrono::milliseconds(1);
    });
    for (const bool fails : {false, true, true}) {
        LoopbackReport round{LoopbackPlug::Data, 888, {}};
        for (const LoopbackWire& wire : WiringOf(LoopbackPlug::Data))
            round.wires.push_back({wire, WireResult::Works, std::nullopt});
        if (fails)
            round.wires[4].result = WireResult::StuckHigh;
        tally.add(round);
    }
    const std::string html = LoopbackReportHtml(Facts(), LoopbackPlug::Data, tally, true);
    EXPECT_EQ(Count(html, "<tr class=\"stammer\">"), 4u);
    EXPECT_NE(html.find("<tr class=\"skiljer\"><td>6–11 (D4 → Busy)</td><td class=\"underkand\">"
                        "Fel</td><td>2 av 3</td><td>omgång 2 efter 0,001000 s: fastnat hög"),
              std::string::npos);
    EXPECT_NE(html.find("utfall underkant\">Underkänt: fel i 2 av 3 omgångar (stift 6–11). "
                        "Körningen stoppades."),
              std::string::npos);
    EXPECT_NE(html.find("Dataslinga"), std::string::npos);
}

} // namespace
