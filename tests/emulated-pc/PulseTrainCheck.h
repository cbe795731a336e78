// SPDX-License-Identifier: MIT
#pragma once

#include "CheckLog.h"
#include "GuestPaths.h"

#include <cstdint>
#include <string>

namespace portprov::hardwaretest {

// The pulse train each path sends: so many strobe pulses at this rate. The
// emulated printer takes the byte on the data lines once per pulse, so the
// host finds exactly kPulseCount copies of the path's byte in its file.
inline constexpr std::uint64_t kPulseCount = 100;
inline constexpr double kPulseRate = 1000.0;

// The byte each path holds on the data lines during its pulses, one none of
// the printed text lines has, so that the host can count each path's bytes
// apart. scripts/test-hardware expects the same bytes.
inline constexpr std::uint8_t kPulseByteRaw = '#';
inline constexpr std::uint8_t kPulseByteDevPort = '%';
inline constexpr std::uint8_t kPulseBytePpdev = '&';
inline constexpr std::uint8_t kPulseByteHelper = '*';

// Puts `byte` on the data lines of 888 and runs the program's generator with
// a pulse train on pin 1 (strobe) through the bound backend: it must make
// every write of every pulse and leave 888 and 890 as it found them. Then
// prints a newline with the strobe handshake, so that the printer's file
// keeps one line per path. Throws PortError where the port cannot be had.
void SendPulseTrain(CheckLog& log, const std::string& path, std::uint8_t byte);

// SendPulseTrain through `path`, in a child with a deadline: a generator that
// never ends fails the check instead of stopping the machine.
void CheckPulseTrain(CheckLog& log, const GuestPath& path, std::uint8_t byte);

} // namespace portprov::hardwaretest
