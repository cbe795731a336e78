// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// Where the in instruction can be issued from this program (x86 Linux).
#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#define PORTPROV_HELD_IN_INSTRUCTION 1
#else
#define PORTPROV_HELD_IN_INSTRUCTION 0
#endif

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
//
// Raw I/O's reader is the in instruction itself, inlined where the reader is
// called: on the fastest path even one indirect call per read is a cost
// worth saving (a fifth of a read under emulation, where the instruction is
// cheap and every call dear), and every other path pays for it one
// well-predicted branch.
class HeldReader {
public:
    using Function = std::uint8_t (*)(void* context, std::uint16_t port);

    HeldReader(Function function, void* context) : function_(function), context_(context) {}

#if PORTPROV_HELD_IN_INSTRUCTION
    // The in instruction, for a thread granted the ports it reads.
    static HeldReader InInstruction() {
        return {nullptr, nullptr};
    }
#endif

    // Throws PortError where the access path fails, as the backend's read().
    std::uint8_t operator()(std::uint16_t port) const {
#if PORTPROV_HELD_IN_INSTRUCTION
        if (function_ == nullptr) {
            std::uint8_t value;
            asm volatile("inb %w1, %b0" : "=a"(value) : "Nd"(port));
            return value;
        }
#endif
        return function_(context_, port);
    }

private:
    Function function_;
    void* context_;
};

} // namespace portprov
