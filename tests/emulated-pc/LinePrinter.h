// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace portprov::hardwaretest {

// Control register bits as software writes them. Strobe and select-in are
// inverted at the connector: a 1 in the register drives the pin low, which is
// the active level of those lines. Init is not inverted: a 0 drives pin 16
// low and holds the printer in reset.
inline constexpr std::uint8_t kControlStrobe = 0x01;   // pin 1, nStrobe
inline constexpr std::uint8_t kControlInit = 0x04;     // pin 16, nInit
inline constexpr std::uint8_t kControlSelectIn = 0x08; // pin 17, nSelectIn
inline constexpr std::uint8_t kControlReverse = 0x20;  // data lines read, not driven

// Printer selected, out of reset, strobe released, data lines driven.
inline constexpr std::uint8_t kControlIdle = kControlSelectIn | kControlInit;

// Status bit 7 reads 1 while the Busy line (pin 11) is low: inverted again.
inline constexpr std::uint8_t kStatusNotBusy = 0x80;

// Register offsets from the port's base address.
inline constexpr std::int32_t kDataOffset = 0;
inline constexpr std::int32_t kStatusOffset = 1;
inline constexpr std::int32_t kControlOffset = 2;

struct PrintOutcome {
    std::size_t bytesSent = 0;
    bool printerReady = true; // false: the printer stayed busy and printing stopped
};

// Sends text to a printer on the parallel port at base the way a printer
// expects it: for each byte it waits until the printer is not busy, puts the
// byte on the data lines, then pulses strobe. All access goes through
// DlPortReadPortUchar and DlPortWritePortUchar. busyPolls bounds the wait for
// each byte, so a port with nothing attached (always busy) cannot hang it.
PrintOutcome PrintThroughPort(std::int32_t base, std::string_view text, int busyPolls = 100000);

} // namespace portprov::hardwaretest
