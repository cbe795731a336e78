// SPDX-License-Identifier: MIT
#include "report/HtmlPage.h"

#include <ctime>

namespace portprov {

namespace {

// Printed on A4, a table row or a diagram is kept whole on one page where it
// fits; the diagrams take the page's width whatever the window's.
constexpr std::string_view kPageStyle = R"(
@page { size: A4; margin: 15mm 14mm; }
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 10.5pt; color: #111;
  max-width: 190mm; margin: 1.5em auto; padding: 0 1em; line-height: 1.35; }
h1 { font-size: 17pt; margin: 0 0 0.6em; }
h2 { font-size: 13pt; margin: 1.4em 0 0.5em; break-after: avoid; page-break-after: avoid; }
table { border-collapse: collapse; width: 100%; }
th, td { border: 1px solid #bbb; padding: 3px 6px; text-align: left; vertical-align: top; }
th { background: #eee; }
table.fakta th { width: 28%; }
tr, figure, .utfall { break-inside: avoid; page-break-inside: avoid; }
td.godkand { color: #0a6b1f; font-weight: bold; white-space: nowrap; }
td.underkand { color: #b00000; font-weight: bold; white-space: nowrap; }
.utfall { font-size: 13pt; font-weight: bold; padding: 6px 10px; border: 2px solid; }
.utfall.godkant { color: #0a6b1f; border-color: #0a6b1f; background: #eefaf0; }
.utfall.underkant { color: #b00000; border-color: #b00000; background: #fdeeee; }
ul.skillnader { margin: 0.3em 0 0; padding-left: 1.2em; }
figure { margin: 0.8em 0; }
svg { display: block; width: 100%; height: auto; }
figcaption, .forklaring { font-size: 9pt; color: #444; }
.nyckel { display: inline-block; width: 1.6em; height: 0.7em; margin: 0 0.3em 0 0.8em; }
@media print { body { max-width: none; margin: 0; padding: 0; } }
)";

std::string FactRow(const std::string& name, const std::string& escapedValue) {
    return "<tr><th scope=\"row\">" + name + "</th><td>" + escapedValue + "</td></tr>\n";
}

} // namespace

std::string HtmlEscaped(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string WhenText(std::chrono::system_clock::time_point when) {
    const std::time_t time = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &time);
#else
    localtime_r(&time, &local);
#endif
    char text[40] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d kl. %H:%M:%S", &local);
    return text;
}

std::string FactsHtml(const ReportFacts& facts,
                      const std::vector<std::pair<std::string, std::string>>& extra) {
    std::string rows = FactRow("Datum och tid", HtmlEscaped(WhenText(facts.when))) +
                       FactRow("Program", HtmlEscaped(facts.version)) +
                       FactRow("Port", HtmlEscaped(facts.port));
    for (const auto& [name, value] : extra)
        rows += FactRow(name, value);
    rows += FactRow("Vägen till porten", HtmlEscaped(facts.way));
    if (!facts.signal.empty())
        rows += FactRow("Signal", HtmlEscaped(facts.signal));
    if (!facts.reference.empty())
        rows += FactRow("Referens", HtmlEscaped(facts.reference));
    return "<table class=\"fakta\">\n" + rows + "</table>\n";
}

std::string VerdictHtml(bool passed, const std::string& text) {
    return std::string("<p class=\"utfall ") + (passed ? "godkant" : "underkant") + "\">" +
           HtmlEscaped(text) + "</p>\n";
}

std::string HtmlPage(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html lang=\"sv\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           HtmlEscaped(title) + "</title>\n<style>" + std::string(kPageStyle) +
           "</style>\n</head>\n<body>\n<h1>" + HtmlEscaped(title) + "</h1>\n" + body +
           "</body>\n</html>\n";
}

} // namespace portprov
