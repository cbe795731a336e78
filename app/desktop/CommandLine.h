// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The program's command line: --simulate, --help and --version.
struct CommandLine {
    bool simulate = false;
    // Set when the program is to print this text and end with exitCode
    // instead of opening its window (--help, --version, or a bad option).
    std::optional<QString> textToPrint;
    int exitCode = 0;
};

// Reads the arguments (the program's name first). accessDescription is asked
// only for --help, where it tells which way to the real ports would be used.
// Options the window toolkit takes itself are let through when ignoreUnknown.
CommandLine ReadCommandLine(const QStringList& arguments, bool ignoreUnknown,
                            QString (*accessDescription)());
