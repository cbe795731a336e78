// SPDX-License-Identifier: MIT
#pragma once

#include "cli/PortOperationArguments.h"
#include "cli/RecordRequest.h"

#include <QString>

#include <optional>
#include <utility>

class QCommandLineParser;

// What the command line's recording options ask for (--record, --duration,
// --samples, --rate, --trigger, and one or more options of a file kind each,
// --vcd, --csv; --start-write is taken out before the parser, as it takes two
// numbers), and the simulated joystick (--stick). error is set, in Swedish, for a
// combination that makes no sense (a bad command line); the numbers are
// checked later, before any port is touched.
struct RecordOptions {
    std::optional<portprov::RecordRequest> request;
    std::optional<std::pair<int, int>> stick; // joystick A, per cent of its travel
    QString error;
};

// signal: --square, --pulses or --play is given, whose length --duration is
// without --record.
RecordOptions ReadRecordOptions(const QCommandLineParser& parser,
                                std::optional<portprov::PortOperation> startWrite, bool simulate,
                                bool portOperations, bool signal = false);
