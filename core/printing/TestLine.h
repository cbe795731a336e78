// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace portprov {

// How long a printer may stay busy over one byte before the line is given up.
inline constexpr std::chrono::milliseconds kPrinterByteWait{1000};

// Prints text on the printer at the parallel port at base through the printer's
// handshake, byte by byte: waits for Busy to be low, puts the byte on the data
// lines, pulses Strobe, and waits for Busy to fall again. The line is one
// restoring sequence (RunRestoringSequence): the port is held for the whole
// line, and its data latch and control register are put back afterwards, also
// after a failure. Returns the number of bytes the printer took (all of them).
// Throws PortError: RefusedInput for a base whose registers are not all
// addresses, FailedAccess (a Swedish text naming the byte and how many went)
// when the printer stays busy longer than byteWait, and whatever the port
// accesses throw.
std::size_t PrintLine(std::int32_t base, std::string_view text,
                      std::chrono::nanoseconds byteWait = kPrinterByteWait);

} // namespace portprov
