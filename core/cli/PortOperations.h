// SPDX-License-Identifier: MIT
#pragma once

#include "cli/PortOperationArguments.h"
#include "input/Conversions.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <vector>

namespace portprov {

// Runs the operations in the order given through the program's port access
// (DlPortReadPortUchar, DlPortWritePortUchar), reading their numbers as the
// window's boxes do: a read's address like the read command's (rounded half
// to even), a write's address and value like the write command's (rounded
// down; a value above 255 writes 255, a write to 890 takes its value rounded
// half to even as the control register command does). Each read prints its
// ReadReport line on out; a write prints nothing, unless its value was above
// 255, which is told on err. Every number is read before the first
// operation runs: a refused one prints its Swedish message on err, and no
// operation runs. A failed access prints its message on err and stops the
// run before the next operation, as does a line that out or err failed to
// take (it went bad). Returns the exit status: 0 when every operation ran, 2
// for a refused number (a bad command line), 1 otherwise.
int RunPortOperations(const std::vector<PortOperation>& operations,
                      std::span<const std::uint16_t> parallelBases, const NumberFormat& format,
                      std::ostream& out, std::ostream& err);

// Whether every line printed so far reached out and err. A line that could
// not be printed is lost, and the run that printed it stops there: when out
// went bad this says so on err.
bool LinesArrived(std::ostream& out, std::ostream& err);

} // namespace portprov
