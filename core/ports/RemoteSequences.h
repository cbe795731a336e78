// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortModes.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace portprov {

// Declared only: the mode probe in ports hands over through this interface,
// and ports includes nothing from the layers above it (loopback, pins,
// recording). Each caller of a sequence includes that sequence's header.
enum class LoopbackPlug;
struct LoopbackReport;
struct PinToggle;
struct RecorderOptions;
struct RecorderResult;
struct GeneratorOptions;
struct GeneratorResult;

// The sequences of port accesses that must run next to the port, in the
// process that holds the port rights (the helper portprov-io), not across a
// pipe one access at a time: a recording at the port's full rate, and the
// tests whose registers must be put back even when the window dies half way.
// A backend that reaches its ports through such a process hands them over
// (PortBackend::sequencesElsewhere); each throws PortError as the sequence
// run here would.
class RemoteSequences {
public:
    virtual ~RemoteSequences() = default;

    virtual PinToggle togglePin(int pin, std::uint16_t base) = 0;
    virtual LoopbackReport loopbackTest(std::uint16_t base, LoopbackPlug plug) = 0;
    virtual PortModes probeModes(std::uint16_t base) = 0;
    virtual std::size_t printLine(std::uint16_t base, std::string_view text,
                                  std::chrono::nanoseconds byteWait) = 0;
    // Records until the length is reached or stop turns true; progress and
    // waiting follow as in Recorder::progress() and waitingForEdge().
    virtual RecorderResult record(const RecorderOptions& options, const std::atomic<bool>& stop,
                                  std::atomic<double>& progress, std::atomic<bool>& waiting) = 0;
    // Runs a signal, and the recording beside it, until its end or until
    // stop turns true; progress follows Generator::progress().
    virtual GeneratorResult generate(const GeneratorOptions& options,
                                     const std::atomic<bool>& stop,
                                     std::atomic<double>& progress) = 0;
};

// SequencesElsewhereFor (ports/PortIo.h) finds them for a port.

} // namespace portprov
