// SPDX-License-Identifier: MIT
#pragma once

#include "ports/simulated/PinFault.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QCommandLineParser;

// What --loopback, --port beside it, --repeat and --fault ask for, as typed
// but for the count and the faults, which are read here. The plug and the
// base are checked (CheckLoopbackRequest) with the locale's numbers before
// the test runs. error is set, in Swedish, for a bad command line.
struct LoopbackOptions {
    std::optional<std::string> plug;
    std::optional<std::string> port;
    std::optional<std::uint64_t> repeat;
    std::vector<portprov::PinFault> faults;
    QString error;
};

// otherCommands: --read, --write, --info, --record or a signal was given,
// none of which goes with --loopback.
LoopbackOptions ReadLoopbackOptions(const QCommandLineParser& parser, bool simulate,
                                    bool otherCommands);
