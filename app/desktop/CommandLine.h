// SPDX-License-Identifier: MIT
#pragma once

#include "cli/GenerateRequest.h"
#include "cli/PortOperationArguments.h"
#include "cli/RecordRequest.h"
#include "connector/LoopbackPlug.h"
#include "desktop/CommandLineLoopback.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The program's command line: --simulate, --plug, --help, --version, --info,
// --loopback, --repeat and --fault, the port operations --read and --write, the recorder's --record
// and the signals --square, --pulses and --play, and --report beside --expect or --loopback.
struct CommandLine {
    bool simulate = false;
    // --plug=control, --plug=data (a plug's option in kPlugs): the loopback plug
    // in the simulated port at 888.
    std::optional<portprov::LoopbackPlug> plug;
    // --plug=printer: a printer in the simulated port at 888 instead.
    bool printer = false;
    // --read and --write in the order given: run them without the window.
    std::vector<portprov::PortOperation> operations;
    // --record and its options: a recording saved to a file, without the window.
    std::optional<portprov::RecordRequest> record;
    // --square, --pulses or --play: a signal on a parallel port's outputs,
    // without the window, recorded when record is set too.
    std::optional<portprov::GenerateRequest> generate;
    // --info: what each parallel port can do, printed without the window.
    bool info = false;
    // --stick=X,Y: joystick A of the simulated game port, per cent of its travel.
    std::optional<std::pair<int, int>> stick;
    // --loopback, --repeat and --fault (which also holds in the window).
    LoopbackOptions loopback;
    // --report: the page of a comparison (--expect) or a loopback run.
    std::optional<std::string> report;
    // Set when the program is to print this text and end with exitCode
    // instead of opening its window (--help, --version, or a bad command
    // line, which ends with 2).
    std::optional<QString> textToPrint;
    int exitCode = 0;
};

// Reads the arguments (the program's name first). accessDescription is asked
// only for --help, where it tells which way to the ports would be used: the
// simulated PC's with --simulate (simulate true), otherwise the real ones.
// toolkitOptionsPresent: the arguments are read before the window toolkit has
// taken its own options (-platform, -style, ...). They are let through then,
// but not beside a port operation, where there is no window to take them;
// any other unknown option is a bad command line either way.
CommandLine ReadCommandLine(const QStringList& arguments, bool toolkitOptionsPresent,
                            QString (*accessDescription)(bool simulate));
