// SPDX-License-Identifier: MIT
#pragma once

#include "ports/KernelPortAccount.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <vector>

namespace portprov {

// --info: probes the parallel ports at bases in turn (ProbePortModes) and
// prints each one's InfoLines on out as soon as it is known, with the
// kernel's account of the port where accounts has one. A port where nothing
// answers is a fact like any other. A failed access prints its Swedish
// message on err and ends the run, as does a line out or err failed to take.
// Returns the exit status: 0 when every port was probed, 1 otherwise.
int RunInfoCommand(std::span<const std::uint16_t> bases,
                   const std::vector<KernelPortAccount>& accounts, std::ostream& out,
                   std::ostream& err);

} // namespace portprov
