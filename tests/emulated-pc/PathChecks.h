// SPDX-License-Identifier: MIT
#pragma once

#include "CheckLog.h"
#include "GuestPaths.h"
#include "LinePrinter.h"

#include <cstdint>
#include <exception>
#include <string>

namespace portprov::hardwaretest {

inline constexpr std::int32_t kLpt1 = 888;
inline constexpr std::int32_t kLpt1Status = kLpt1 + kStatusOffset;
inline constexpr std::int32_t kLpt1Control = kLpt1 + kControlOffset;
inline constexpr std::int32_t kGamePort = 513;
inline constexpr const char* kParportNode = "/dev/parport0";

// What the emulated port reads. Its data lines have no other driver: switched
// to input they read 255, as lines pulled high do. Its printer is ready: the
// status register tells "not busy, no acknowledge pulse, paper present,
// selected, no error" (216; a port with nothing at all on it would read 127).
// The unused control bits 6 and 7 read back as 1; they are not part of the
// register the kernel driver hands out, so the ppdev path checks bits 0 to 5.
inline constexpr unsigned kFloatingDataLines = 255;
inline constexpr unsigned kStatusIdle = 216;
inline constexpr unsigned kControlUnusedBits = 0xC0;
inline constexpr unsigned kControlDriverBits = 0x3F;

// The register checks of one access path: 888 written and read back, with
// the data lines driven and turned to input, 889 and 890. wholeControl: the
// path reads the control register as the port has it, bits 6 and 7 included.
void CheckRegisters(CheckLog& log, const GuestPath& path, bool wholeControl);

// Prints "<text> via <path>\n" through the path, with the strobe handshake.
void CheckPrinting(CheckLog& log, const GuestPath& path, const std::string& text);

// As a user without rights the kernel refuses raw access: ioperm and /dev/port.
void CheckRawRefused(CheckLog& log);

// The chooser of the Linux build picks the path whose description holds
// expected (e.g. "ioperm" or "ppdev").
void CheckChooser(CheckLog& log, const std::string& expected);

// A failure's text, for the lines of the log.
std::string Describe(const std::exception& error);

} // namespace portprov::hardwaretest
