// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace portprov {

// The cheapest way a backend has to read registers that this process holds
// for a sequence of accesses (DirectPortSequence, a recording): the checks
// that the hold settles once for all its reads (the thread's port grant, the
// lock of the port unit, the claim of a ppdev port) are left out of each
// read. A plain function and its context, not std::function, so that a read
// costs one indirect call on top of the access itself.
//
// Valid only on the thread it was made on, and only for as long as the
// sequence it came from lives; a read of a register the sequence does not
// hold is never made through it.
class HeldReader {
public:
    using Function = std::uint8_t (*)(void* context, std::uint16_t port);

    HeldReader(Function function, void* context) : function_(function), context_(context) {}

    // Throws PortError where the access path fails, as the backend's read().
    std::uint8_t operator()(std::uint16_t port) const { return function_(context_, port); }

private:
    Function function_;
    void* context_;
};

} // namespace portprov
