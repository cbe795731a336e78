// SPDX-License-Identifier: MIT
#pragma once

#include "ports/HeldReader.h"

#include <cstdint>

namespace portprov {

// The writing twin of HeldReader: the cheapest way a backend has to write
// registers that this process holds for a sequence (a signal generator),
// leaving out of each write what the hold settles. Raw I/O's writer is the
// out instruction itself, inlined where it is called. Valid only on the
// thread it was made on, for as long as the sequence it came from lives, and
// only for the registers that sequence holds.
class HeldWriter {
public:
    using Function = void (*)(void* context, std::uint16_t port, std::uint8_t value);

    HeldWriter(Function function, void* context) : function_(function), context_(context) {}

#if PORTPROV_HELD_IN_INSTRUCTION
    // The out instruction, for a thread granted the ports it writes.
    static HeldWriter OutInstruction() {
        return {nullptr, nullptr};
    }
#endif

    // Throws PortError where the access path fails, as the backend's write().
    void operator()(std::uint16_t port, std::uint8_t value) const {
#if PORTPROV_HELD_IN_INSTRUCTION
        if (function_ == nullptr) {
            asm volatile("outb %b0, %w1" : : "a"(value), "Nd"(port));
            return;
        }
#endif
        function_(context_, port, value);
    }

private:
    Function function_;
    void* context_;
};

} // namespace portprov
