// SPDX-License-Identifier: MIT
#pragma once

#include "cli/LoopbackRequest.h"

#include <chrono>
#include <functional>
#include <ostream>

namespace portprov {

// --loopback: runs the loopback test of the plan (RunLoopbackTest, which puts
// the port back after every round) and prints on out, one line a wire, its
// verdict ("2–15 (D0 → Error): fungerar"), or with --repeat how many rounds
// it failed in and its first failure's round, time since the start and
// verdict, then "200 omgångar, 3 med fel". A termination signal
// (DeferredTerminationSignals) ends the run after the round it came in, with
// what was counted so far; it is then taken as answered. Memory stays the
// same however many rounds run. A failed access prints its message on err.
// Returns the exit status: 0 when every wire passed in every round, 3 when
// one failed, 1 for a failed access or a line out or err did not take.
// With plan.report its file is checked before the port is touched (1 when it
// cannot be saved there) and the run's page saved whole after the run,
// whatever the verdict; a page that could not be saved makes the status 1.
// clock: monotonic time for the failures' times, injected by tests.
int RunLoopbackCommand(const LoopbackPlan& plan, std::ostream& out, std::ostream& err,
                       std::function<std::chrono::nanoseconds()> clock = {});

} // namespace portprov
