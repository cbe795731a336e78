#pragma once

#include <cstdint>

namespace portprov::hardwaretest {

// The emulator's debug-exit device: a byte written to it ends the emulator
// with exit status (byte << 1) | 1.
inline constexpr unsigned short kDebugExitPort = 0xF4;

// Writes the verdict (0 = every check passed) to the debug-exit device. When
// the emulator has none, powers the machine off and returns.
void EndEmulatorWithVerdict(std::uint8_t verdict);

} // namespace portprov::hardwaretest
