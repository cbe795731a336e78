// SPDX-License-Identifier: MIT
#pragma once

#include "cli/GenerateRequest.h"

#include <QString>

#include <optional>

class QCommandLineParser;

// What the command line's signal options ask for: one of --square, --pulses
// and --play, and the port they drive (--port). --duration is the recording
// options' (RecordOptions), read here too: it is the square wave's length.
// error is set, in Swedish, for a combination that makes no sense (a bad
// command line); the numbers and the file are checked later, before any port
// is touched.
struct SignalOptions {
    std::optional<portprov::GenerateRequest> request;
    QString error;
};
SignalOptions ReadSignalOptions(const QCommandLineParser& parser, bool otherCommands);
