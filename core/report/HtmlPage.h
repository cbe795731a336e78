// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportFacts.h"

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace portprov {

// The frame every report shares: one HTML file in UTF-8 that needs nothing
// beside it (its style inline, no scripts, no fonts, no images but inline
// SVG), laid out to print on A4.

// The text with & < > " and ' written as entities, so that a file name or a
// reference's column name shows as itself and never as markup.
std::string HtmlEscaped(std::string_view text);

// "2026-12-09 kl. 04:11:51", the local time.
std::string WhenText(std::chrono::system_clock::time_point when);

// The facts' table: the date and time, the version, the port, the way to it,
// the signal and the reference, each row where it has a text. extra: rows
// the report adds after the port (a loopback run's plug), already escaped.
std::string FactsHtml(const ReportFacts& facts,
                      const std::vector<std::pair<std::string, std::string>>& extra = {});

// "<p class="utfall godkant">Godkänt: …</p>": the run's verdict, escaped.
std::string VerdictHtml(bool passed, const std::string& text);

// The whole page: the title as its heading, the body's sections after it.
std::string HtmlPage(const std::string& title, const std::string& body);

} // namespace portprov
