// SPDX-License-Identifier: MIT
#pragma once

#include "cli/PortOperationArguments.h"
#include "cli/RunReport.h"
#include "input/Conversions.h"
#include "recording/RecordingFormats.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace portprov {

// A recording asked for on the command line, its numbers as typed:
//   --record ADDRESS [--record ADDRESS ...] [--duration SECONDS] [--samples N]
//   [--rate HZ] [--start-write ADDRESS VALUE] [--trigger [ADDRESS:]PIN:rise|fall]
//   [--vcd FILE] [--csv FILE] (each is saved) [--expect FILE [--tolerance SECONDS]]
//   (a file to save in, or a reference to compare with, at least)
//   [--report FILE] (beside --expect)
struct RecordFile {
    FileKind kind = FileKind::Vcd;
    std::string path;
};
struct RecordRequest {
    std::vector<std::string> addresses;
    std::optional<std::string> duration;
    std::optional<std::string> samples;
    std::optional<std::string> rate;
    std::optional<std::string> trigger;
    std::optional<PortOperation> startWrite;
    std::vector<RecordFile> files;       // in the order of RecordingFormats()
    std::optional<std::string> expect{}; // the reference compared with
    std::optional<std::string> tolerance{};
    // --repeat beside --expect: the rounds of signal, recording and
    // comparison; 0 until a termination signal.
    std::optional<std::uint64_t> repeat{};
    std::optional<RunReport> report{}; // the comparison's page
};

// The same, checked: what the recorder is to do.
struct RecordPlan {
    struct Trigger {
        int pin;
        bool rising;
        // The register, or any register of the connector, the pin is on; none
        // when the pin alone tells which recorded line it is.
        std::optional<std::uint16_t> address{};
        bool operator==(const Trigger&) const = default;
    };
    std::vector<std::uint16_t> ports; // each once, in the order given
    // The length: a number of rounds, else a duration (1 s when neither is given).
    std::optional<std::uint64_t> samples;
    std::chrono::nanoseconds duration{std::chrono::seconds(1)};
    std::optional<double> rate; // rounds a second; nullopt: as fast as the path allows
    std::optional<Trigger> trigger;
    std::optional<std::pair<std::uint16_t, std::uint8_t>> startWrite;
    // How far an edge may be from the reference's; nullopt: by default.
    std::optional<std::chrono::nanoseconds> tolerance;
};

// The longest recording asked for by time: an hour. It bounds --duration
// whatever it is the length of, a recording, a square wave or both, so that
// the option means one thing beside any other.
inline constexpr std::chrono::seconds kLongestRecording{3600};

// --duration SECONDS read as the other numbers are: more than 0 and at most
// kLongestRecording, to the nanosecond. The length, or the Swedish refusal.
struct DurationInput {
    std::optional<std::chrono::nanoseconds> length;
    std::string refusal;
};
DurationInput ReadDuration(const std::string& text, const NumberFormat& format);

// Checks every number of the request before any port is touched: addresses
// as --read reads them (rounded half to even, 0 to 65535), the start write as
// --write (a write to 890 rounded half to even, a value above 255 written as
// 255), a duration above 0 up to an hour, a whole number of samples from 1, a
// rate the recorder can hold (1 kHz to 1 MHz), a trigger "PIN:rise" or
// "PIN:fall" on a pin 1 to 25, optionally after an address ("513:3:fall") read
// as --read reads it, a tolerance above 0 up to an hour. The plan, or the Swedish refusal.
struct CheckedRecordRequest {
    std::optional<RecordPlan> plan;
    std::string refusal;
};
CheckedRecordRequest CheckRecordRequest(const RecordRequest& request, const NumberFormat& format);

} // namespace portprov
