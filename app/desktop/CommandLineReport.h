// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>
#include <string>

class QCommandLineParser;

// --report FILE: the file, or the Swedish refusal of a bad command line.
struct ReportOption {
    std::optional<std::string> path;
    QString error;
};

// compared: --record with --expect was given; loopback: --loopback was. The
// report goes beside one of them, once, into a file (not "-", where the
// verdicts go). That it names no other file of the run is checked with the
// files themselves, before the run.
ReportOption ReadReportOption(const QCommandLineParser& parser, bool compared, bool loopback);
