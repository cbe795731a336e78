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
// access and saves it, whole or not at all, as VCD or CSV. Everything that
// can be refused is refused before any port is touched: the numbers, a
// trigger that names no recorded line or more than one, a file that could
// not be saved. A summary line goes to err (rounds, rate, longest gap, late
// rounds at a fixed rate); so does a refusal, a failed access, a memory that
// ran out or a file that could not be saved. SIGINT, SIGTERM and SIGHUP (one
// the program was started to ignore stays ignored) stop the recording early:
// what was recorded is saved, and the program then ends as the signal asks,
// unless the trigger's edge never came: that is said, and the status is 1.
// parallelBases: the bases the computer reports. version: the program's name
// and version, for the VCD header. Returns the exit status: 0 when saved, 2
// for a trigger that does not fit the registers, 1 otherwise.
int RunRecordCommand(const RecordRequest& request, std::span<const std::uint16_t> parallelBases,
                     const NumberFormat& format, const std::string& version, std::ostream& err);

} // namespace portprov
