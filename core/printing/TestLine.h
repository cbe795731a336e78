// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace portprov {

// How long a printer may take over one byte (stay busy, or not acknowledge
// it) before the line is given up.
inline constexpr std::chrono::milliseconds kPrinterByteWait{1000};

// Prints text on the printer at the parallel port at base through the printer's
// handshake, byte by byte: waits for Busy to be low, puts the byte on the data
// lines, pulses Strobe, and waits for the printer's acknowledgement, an Ack
// pulse (pin 10 low, then high) with Busy low again. The line is one
// restoring sequence (RunRestoringSequence): the port is held for the whole
// line, and its data latch and control register are put back afterwards, also
// after a failure. Returns the number of bytes the printer took (all of them).
// Throws PortError: RefusedInput for a base whose registers are not all
// addresses, FailedAccess (a Swedish text naming the byte and how many went)
// when the printer stays busy longer than byteWait or does not acknowledge a
// byte within it (naming Busy or Ack and their pins), and whatever the port
// accesses throw.
std::size_t PrintLine(std::int32_t base, std::string_view text,
                      std::chrono::nanoseconds byteWait = kPrinterByteWait);

} // namespace portprov
