// SPDX-License-Identifier: MIT
#pragma once

#include "cli/GenerateRequest.h"

#include <QCommandLineOption>
#include <QString>

#include <optional>
#include <vector>

class QCommandLineParser;

// The command line's signal options: one of kSignalOptions' (--square,
// --pulses, --play), and the port they drive (--port). --duration is the
// recording options' (RecordOptions), read here too: it is the square wave's
// length.
class SignalOptions {
public:
    SignalOptions();
    void addTo(QCommandLineParser& parser) const;

    // What they ask for. error is set, in Swedish, for a combination that
    // makes no sense (a bad command line); the numbers and the file are
    // checked later, before any port is touched.
    struct Read {
        std::optional<portprov::GenerateRequest> request;
        QString error;
    };
    Read read(const QCommandLineParser& parser, bool otherCommands) const;

private:
    QCommandLineOption port_;
    std::vector<QCommandLineOption> signals_; // kSignalOptions', in their order
};
