// SPDX-License-Identifier: MIT
#pragma once

#include "cli/RecordRequest.h"
#include "input/Conversions.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

namespace portprov {

// Runs a recording asked for on the command line through the program's port
// access and saves it, whole or not at all, as VCD or CSV. Every number is
// checked before any port is touched. A summary line goes to err (rounds,
// rate, longest gap, late rounds at a fixed rate); so does a refusal, a
// failed access or a file that could not be saved. SIGINT, SIGTERM and SIGHUP
// stop the recording early: what was recorded is saved, and the program then
// ends as the signal asks. parallelBases: the bases the computer reports.
// version: the program's name and version, for the VCD header. Returns the
// exit status: 0 when saved, 1 otherwise.
int RunRecordCommand(const RecordRequest& request, std::span<const std::uint16_t> parallelBases,
                     const NumberFormat& format, const std::string& version, std::ostream& err);

} // namespace portprov
