// SPDX-License-Identifier: MIT
#include "report/TimingDiagram.h"

#include "cli/SummaryNumbers.h"
#include "report/HtmlPage.h"

#include <algorithm>
#include <cmath>

namespace portprov {

namespace {

using std::chrono::nanoseconds;

constexpr int kViewWidth = 820;
constexpr int kPlotLeft = 170;    // the names to the left of it
constexpr int kPlotColumns = 610; // about a pixel each on a printed page; room for the last label
constexpr int kRowHeight = 46;
constexpr int kHighOffset = 8; // a high level's y in its row
constexpr int kLowOffset = 32; // a low level's
constexpr int kAxisHeight = 34;
constexpr std::size_t kLongestName = 21;

// The compared stretch on the pixel columns of the plot.
struct DiagramAxis {
    nanoseconds from;
    nanoseconds span;

    int column(nanoseconds time) const {
        const double share =
            static_cast<double>((time - from).count()) / static_cast<double>(span.count());
        return std::clamp(static_cast<int>(std::floor(share * kPlotColumns)), 0, kPlotColumns - 1);
    }
    int x(nanoseconds time) const { return kPlotLeft + column(time); }
};

std::string Num(int value) {
    return std::to_string(value);
}

// The level's path; the edges of one column drawn as one: the level turned
// once when they are odd in number, else a spike to the other level and back.
std::string LevelPath(const LineEdges& line, const DiagramAxis& axis, int top) {
    const auto y = [top](bool high) { return Num(top + (high ? kHighOffset : kLowOffset)); };
    bool level = line.initial;
    // Built by appending, as GCC 12 sees impossible bounds in "M" + string&&
    // once inlined into a batched Release build.
    std::string d = "M";
    d += Num(kPlotLeft);
    d += ' ';
    d += y(level);
    for (std::size_t k = 0; k < line.edges.size();) {
        const int column = axis.column(line.edges[k]);
        std::size_t inColumn = 0;
        for (; k < line.edges.size() && axis.column(line.edges[k]) == column; ++k)
            ++inColumn;
        d += 'H';
        d += Num(kPlotLeft + column);
        d += 'V';
        d += y(!level);
        if (inColumn % 2 == 0) {
            d += 'V';
            d += y(level);
        } else
            level = !level;
    }
    d += 'H';
    d += Num(kPlotLeft + kPlotColumns);
    return d;
}

// One red mark over the stretch a difference covers.
std::string DifferenceMark(const EdgeDifference& difference, const DiagramAxis& axis, int top) {
    using Kind = EdgeDifference::Kind;
    int from = axis.x(difference.at);
    int to = from;
    switch (difference.kind) {
    case Kind::StartLevel:
        from = kPlotLeft;
        to = kPlotLeft + 5;
        break;
    case Kind::Late:
        to = axis.x(difference.at + difference.by);
        break;
    case Kind::Early:
        from = axis.x(difference.at - difference.by);
        break;
    case Kind::Missing:
    case Kind::Extra:
        break;
    }
    const int left = std::min(from, to) - 1;
    const int width = std::max(3, std::abs(to - from) + 2);
    return "<rect class=\"skillnad\" x=\"" + Num(left) + "\" y=\"" + Num(top + 2) + "\" width=\"" +
           Num(width) + "\" height=\"" + Num(kLowOffset - 2 + 4) +
           "\" fill=\"#e00000\" fill-opacity=\"0.5\"/>\n";
}

// A name cut to fit left of the plot, never inside a UTF-8 character.
std::string Shortened(const std::string& name) {
    if (name.size() <= kLongestName)
        return name;
    std::size_t end = kLongestName - 1;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end;
    return name.substr(0, end) + "…";
}

std::string LineRow(const ComparedLine& line, const DiagramAxis& axis, int top) {
    const std::string& name = line.line.wire;
    std::string row = "<g><title>" + HtmlEscaped(name + " (" + line.line.label + ")") +
                      "</title>\n<text x=\"4\" y=\"" + Num(top + 18) +
                      "\" font-size=\"13\" font-weight=\"bold\">" + HtmlEscaped(Shortened(name)) +
                      "</text>\n<text x=\"4\" y=\"" + Num(top + 34) +
                      "\" font-size=\"11\" fill=\"#444\">" +
                      HtmlEscaped(Shortened(line.line.label)) + "</text>\n";
    row += "<path d=\"" + LevelPath(line.reference, axis, top) +
           "\" fill=\"none\" stroke=\"#b8b8b8\" stroke-width=\"6\"/>\n";
    row += "<path d=\"" + LevelPath(line.recorded, axis, top) +
           "\" fill=\"none\" stroke=\"#1a1a1a\" stroke-width=\"1.5\"/>\n";
    for (const EdgeDifference& difference : line.verdict.shown)
        row += DifferenceMark(difference, axis, top);
    return row + "</g>\n";
}

// "0", "2,50 ms", "−1,00 ms"
std::string TickLabel(nanoseconds time) {
    if (time == nanoseconds{})
        return "0";
    const std::string size = Duration(time < nanoseconds{} ? -time : time, SwedishNumberFormat());
    return time < nanoseconds{} ? "−" + size : size;
}

// A tick every 1, 2 or 5 times a power of ten, four to ten of them.
std::string TimeAxis(const DiagramAxis& axis, int top) {
    const double span = static_cast<double>(axis.span.count());
    const double magnitude = std::pow(10.0, std::floor(std::log10(span / 5.0)));
    double step = magnitude;
    for (const double factor : {2.0, 5.0, 10.0})
        if (span / step > 10.0)
            step = magnitude * factor;
    const auto stepNs = static_cast<long long>(std::max(1.0, step));
    std::string axisSvg = "<line x1=\"" + Num(kPlotLeft) + "\" y1=\"" + Num(top) + "\" x2=\"" +
                          Num(kPlotLeft + kPlotColumns) + "\" y2=\"" + Num(top) +
                          "\" stroke=\"#444\"/>\n";
    const long long from = axis.from.count();
    long long tick = from >= 0 ? (from + stepNs - 1) / stepNs * stepNs : -(-from / stepNs) * stepNs;
    for (; tick <= from + axis.span.count(); tick += stepNs) {
        const int x = axis.x(nanoseconds{tick});
        axisSvg += "<line x1=\"" + Num(x) + "\" y1=\"" + Num(top) + "\" x2=\"" + Num(x) +
                   "\" y2=\"" + Num(top + 6) + "\" stroke=\"#444\"/>\n<text x=\"" + Num(x) +
                   "\" y=\"" + Num(top + 20) + "\" font-size=\"11\" text-anchor=\"middle\">" +
                   HtmlEscaped(TickLabel(nanoseconds{tick})) + "</text>\n";
    }
    return axisSvg;
}

std::string Figure(const ReferenceComparison& comparison, std::size_t first, std::size_t end,
                   const DiagramAxis& axis) {
    const int height = static_cast<int>(end - first) * kRowHeight + 8 + kAxisHeight;
    std::string svg = "<figure>\n<svg viewBox=\"0 0 " + Num(kViewWidth) + " " + Num(height) +
                      "\" role=\"img\" aria-label=\"Tidsdiagram\" font-family=\"sans-serif\">\n";
    for (std::size_t i = first; i < end; ++i)
        svg += LineRow(comparison.lines[i], axis, 4 + static_cast<int>(i - first) * kRowHeight);
    svg += TimeAxis(axis, height - kAxisHeight + 2);
    return svg + "</svg>\n</figure>\n";
}

} // namespace

std::string TimingDiagramHtml(const ReferenceComparison& comparison) {
    const DiagramAxis axis{comparison.from,
                           std::max(nanoseconds{1}, comparison.to - comparison.from)};
    std::string html;
    for (std::size_t first = 0; first < comparison.lines.size(); first += kLinesPerFigure)
        html += Figure(comparison, first,
                       std::min(comparison.lines.size(), first + kLinesPerFigure), axis);
    return html +
           "<p class=\"forklaring\"><span class=\"nyckel\" style=\"background:#b8b8b8\"></span>"
           "referensen<span class=\"nyckel\" style=\"background:#1a1a1a\"></span>inspelningen"
           "<span class=\"nyckel\" style=\"background:#e00000;opacity:0.5\"></span>skillnad"
           "</p>\n";
}

} // namespace portprov
