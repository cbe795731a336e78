// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace portprov::hardwaretest {

// The emulator's debug-exit device: a byte written to it ends the emulator
// with exit status (byte << 1) | 1.
inline constexpr unsigned short kDebugExitPort = 0xF4;

// Asks the kernel for the debug-exit port, once. A process that holds it
// keeps it after kernel lockdown has closed raw port access to everyone.
bool GrantDebugExit();

// Writes the verdict (0 = every check passed) to the debug-exit device. When
// the port cannot be had or the emulator has no such device, powers the
// machine off instead and returns.
void EndEmulatorWithVerdict(std::uint8_t verdict);

} // namespace portprov::hardwaretest
