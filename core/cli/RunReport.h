// SPDX-License-Identifier: MIT
#pragma once

#include "connector/LoopbackPlug.h"
#include "loopback/LoopbackTally.h"
#include "recording/ReferenceCheck.h"
#include "recording/SaveTarget.h"

#include <functional>
#include <ostream>
#include <string>

namespace portprov {

// What a command knows of its run that its report names: the ports it went
// to ("888 (signalen), 889 (inspelad)") and the signal's summary line (empty
// without a signal).
struct ReportedRun {
    std::string port;
    std::string signal;
};

// --report FILE: a page for the customer about a comparison with a reference
// or a loopback run. The commands check the file before the run, as the
// recordings' files, and save it whole after the run whatever its verdict;
// the page itself is made above them (report/), by these.
struct RunReport {
    std::string path;
    std::function<std::string(const ReportedRun&, const ReferenceComparison&)> comparison;
    std::function<std::string(const ReportedRun&, LoopbackPlug, const LoopbackTally&, bool stopped)>
        loopback;
};

// Saves the page where it was checked, whole or not at all; false, with the
// Swedish message on err, when it could not be. A termination signal that
// comes while it waits on a pipe ends the saving.
bool SaveRunReport(const SaveTarget& target, const std::string& html, std::ostream& err);

} // namespace portprov
