// SPDX-License-Identifier: MIT
#pragma once

#include "cli/PortOperationArguments.h"
#include "cli/RecordRequest.h"

#include <QCommandLineOption>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class QCommandLineParser;

// The command line's recording options (--record, --duration, --samples,
// --rate, --trigger, and one option a file kind: --vcd, --csv; --start-write
// is taken out before the parser, as it takes two numbers) and the simulated
// joystick (--stick).
class RecordOptions {
public:
    RecordOptions();
    void addTo(QCommandLineParser& parser) const;

    // What they ask for. error is set, in Swedish, for a combination that
    // makes no sense (a bad command line); the numbers are checked later,
    // before any port is touched.
    struct Read {
        std::optional<portprov::RecordRequest> request;
        std::optional<std::pair<int, int>> stick; // joystick A, per cent of its travel
        QString error;
    };
    // signal: --square, --pulses or --play is given, whose length --duration
    // is without --record.
    Read read(const QCommandLineParser& parser, std::optional<portprov::PortOperation> startWrite,
              bool simulate, bool portOperations, bool signal = false) const;

private:
    // The option of a file kind given, if any: exactly one is wanted.
    std::vector<const QCommandLineOption*> filesGiven(const QCommandLineParser& parser) const;

    QCommandLineOption record_, duration_, samples_, rate_, startWrite_, trigger_, stick_;
    // One a kind of file, in the order of the formats' table.
    std::vector<std::pair<portprov::FileKind, QCommandLineOption>> files_;
};
