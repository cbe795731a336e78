// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>

namespace portprov {

// Runs call, a system call that may block (it returns -1 and sets errno on
// failure), in this thread, and cuts it short once limit has passed: a timer
// aimed at this thread alone interrupts it. Other signals do not end the
// wait; the call is made again. Returns the call's result when it succeeded,
// -ETIMEDOUT when the limit passed first, else minus the errno.
int CallWithTimeLimit(std::chrono::milliseconds limit, const std::function<int()>& call);

} // namespace portprov
