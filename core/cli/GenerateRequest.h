// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Waveform.h"
#include "input/Conversions.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace portprov {

// A signal asked for on the command line, its numbers as typed:
//   [--port BASE] (--square PIN:HZ[:DUTY] | --pulses PIN:COUNT:HZ | --play FILE)
//   [--duration SECONDS]
struct GenerateRequest {
    // The rows of kSignalOptions: Kind k is row k.
    enum class Kind { Square, Pulses, Play };
    Kind kind = Kind::Square;
    std::string signal; // PIN:HZ[:DUTY], PIN:COUNT:HZ, or the file to play
    std::optional<std::string> port;
    std::optional<std::string> duration;
};

// The same, checked: what the generator is to do.
struct GeneratePlan {
    std::uint16_t base = 888;
    Waveform waveform;
    // How long a recording beside the signal runs when --duration does not
    // say: the signal's length, a millisecond more for a played file.
    std::chrono::nanoseconds recordingLength{};
    // A played file's columns that are not played (inputs, other registers).
    std::vector<std::string> ignored{};
};

struct CheckedGenerateRequest {
    std::optional<GeneratePlan> plan;
    std::string refusal;
    // 2 for a bad command line, 1 for a file to play that cannot be read or
    // is refused.
    int status = 0;
};

// The command line's signals, one row per kind of waveform, in the order of
// GenerateRequest::Kind and of --help.
struct SignalOption {
    const char* name;      // the option, without its dashes
    const char* valueName; // the value's name in --help
    const char* help;      // what --help says of it, in Swedish
    // Reads the signal's text (and --duration, where it is the signal's own
    // length) into a plan for the port at `base`, or refuses it.
    CheckedGenerateRequest (*read)(const GenerateRequest& request, std::uint16_t base,
                                   const NumberFormat& format);
    // Where --duration is the recording's length, what a refusal of one too
    // short says the signal lasts ("än pulserna, som tar "); nullptr where it
    // is the signal's own.
    const char* outlastedBy;
    // What the recording beside the signal runs past its end.
    std::chrono::nanoseconds recordingTail;
};
extern const std::array<SignalOption, 3> kSignalOptions;

// The signal options with their dashes, the last two joined by `lastJoin`:
// "--square, --pulses eller --play". Only those whose --duration is the
// recording's when `recordingDuration`.
std::string SignalOptionNames(const std::string& lastJoin, bool recordingDuration = false);

// Checks the request before any port is touched, and reads the file to play.
// Numbers are read as the other options read them (ReadNumber, the locale's
// decimal separator or "."). A pin must be an output (1 - 9, 14, 16, 17), a
// rate 1 to 100000 Hz, a duty cycle above 0 and below 100 per cent, a count
// of pulses whole from 1 to a billion, the base a parallel port's whose
// registers neither reach the game port nor pass 65535. --duration is the
// square wave's length (1 s without it; bounded as ReadDuration says); with --pulses and --play it
// is the length of the recording beside them (`recording`): without one it is refused, and so is
// one shorter than the signal, which would cut the response off before the stimulus ends.
CheckedGenerateRequest CheckGenerateRequest(const GenerateRequest& request, bool recording,
                                            const NumberFormat& format);

// Why --port BASE is no parallel port's base the program can drive: one of
// its three registers belongs to another port or to the game port, or lies
// past 65535. Empty for a base that will do.
std::optional<std::string> BaseRefusal(std::uint16_t base);

} // namespace portprov
