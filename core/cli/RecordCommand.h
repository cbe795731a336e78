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
// not be saved. A summary line goes to err, never to the standard output,
// which may carry the file ("-"): rounds, rate, longest gap, late rounds at a
// fixed rate. So does a refusal, a failed access or a file that could not be
// saved. SIGINT, SIGTERM and SIGHUP (one the program was started to ignore
// stays ignored) stop the recording early: what was recorded is saved, and
// the program then ends as the signal asks. A recording cut short by a memory
// that ran out, or stopped before its trigger's edge came, is saved as far as
// it went, that is said, and the status is 1 whatever stopped it.
// parallelBases: the bases the computer reports. version: the program's name
// and version, for the VCD header. Returns the exit status: 0 when saved, 2
// for a trigger that does not fit the registers, 1 otherwise.
int RunRecordCommand(const RecordRequest& request, std::span<const std::uint16_t> parallelBases,
                     const NumberFormat& format, const std::string& version, std::ostream& err);

} // namespace portprov
