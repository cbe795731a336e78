// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Generator.h"
#include "loopback/LoopbackTest.h"
#include "pins/TogglePin.h"
#include "ports/PortError.h"
#include "ports/PortModes.h"
#include "recording/Recorder.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// What the window and the port helper (portprov-io) say to each other over
// the socket pair on the helper's standard input and output. Every message
// is one frame of exactly kFrameSize bytes: a header (magic, version, kind,
// payload length) and a payload of at most kPayloadSize bytes, the rest
// zeros. The helper holds port rights and the window does not, so the
// helper takes nothing on trust: a frame that is not exactly right, a
// number out of range, a count or length over its bound, all are refused
// with an answer, never a crash (the parser is fuzzed).
namespace portprov::helper_protocol {

inline constexpr std::uint32_t kMagic = 0x4F495050; // "PPIO"
inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::size_t kFrameSize = 2048;
inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::size_t kPayloadSize = kFrameSize - kHeaderSize;
using Frame = std::array<std::uint8_t, kFrameSize>;

// Bounds of what a request may ask.
inline constexpr std::size_t kMostRecordedPorts = 16;
inline constexpr std::size_t kLongestTestLine = 256;
inline constexpr std::chrono::seconds kLongestByteWait{60};
inline constexpr std::chrono::hours kLongestRecording{24};
inline constexpr std::uint64_t kMostRecordedSamples = 1'000'000'000'000ULL;
// Changes of a recording sent back in one frame.
inline constexpr std::size_t kChangesPerFrame = 150;
// Changes of a played sequence sent in one frame after its Generate request.
inline constexpr std::size_t kPlayedChangesPerFrame = 150;

enum class Kind : std::uint16_t {
    // The window's requests.
    Hello = 1,
    Read,
    Write,
    Hold,    // keep a port for a sequence; its registers are saved
    Release, // the sequence is over: let go, keep the registers as they are
    TogglePin,
    Loopback,
    Probe,
    TestLine,
    Record,
    StopRecording, // stops the run going on: a recording or a signal
    Generate,      // a signal, with a recording beside it or not
    PlayedChanges, // Generate with a played sequence: its changes, in turn
    // The helper's answers.
    Ready = 100,     // Hello: the way to the ports the helper uses
    Done,            // Write, Hold, Release
    Byte,            // Read
    Failed,          // any request: a PortError's kind and text
    PinToggled,      // TogglePin
    LoopbackDone,    // Loopback
    ProbeDone,       // Probe
    Printed,         // TestLine
    RecordStarted,   // Record: the ports are taken
    Progress,        // Record: how much is done, now and then
    Changes,         // Record: a run of recorded changes, while it records and at the end
    Recorded,        // Record: the end, with the initial values and statistics
    GenerateStarted, // Generate: the port is taken; Progress and Changes follow
    Generated,       // Generate: the end, with the signal's and the recording's figures
};

struct Request {
    Kind kind = Kind::Hello;
    std::uint16_t port = 0; // Read, Write, Hold, Release; the base of the sequences
    std::uint8_t value = 0; // Write
    int pin = 0;            // TogglePin
    LoopbackPlug plug = LoopbackPlug::Control;
    std::string text; // TestLine
    std::chrono::nanoseconds byteWait{};
    RecorderOptions record;
    // Generate: the whole run but a played sequence's changes, which follow
    // (playedCount of them) in PlayedChanges requests (FollowUpsOf).
    GeneratorOptions generate;
    std::uint32_t playedCount = 0;
    // PlayedChanges: the index of its first change in the sequence, and its changes.
    std::uint32_t firstChange = 0;
    std::vector<PinChange> played;
};

struct RecordedEnd {
    std::vector<std::uint8_t> initial;
    std::chrono::nanoseconds length{};
    std::optional<std::chrono::nanoseconds> triggerTime;
    RecordingStats stats;
};

struct Answer {
    Kind kind = Kind::Done;
    std::uint8_t value = 0; // Byte
    std::string text;       // Ready: the description; Failed: the message
    PortErrorKind errorKind = PortErrorKind::FailedAccess;
    PinToggle toggle;                       // PinToggled
    LoopbackReport loopback;                // LoopbackDone
    PortModes modes;                        // ProbeDone
    std::uint64_t count = 0;                // Printed
    double progress = 0.0;                  // Progress
    bool waiting = false;                   // Progress: the trigger's edge has not come yet
    std::vector<Recording::Change> changes; // Changes
    RecordedEnd end;                        // Recorded; Generated with a recording
    GeneratorStats generated;               // Generated
    bool withRecording = false;             // Generated: end is the recording's
};

Frame Encode(const Request& request);
Frame Encode(const Answer& answer);

// A frame that is not a well-formed request: why, in Swedish.
struct Refusal {
    std::string reason;
};
std::variant<Request, Refusal> ParseRequest(const Frame& frame);
std::variant<Answer, Refusal> ParseAnswer(const Frame& frame);

// A generation as it goes over the pipe: the Generate request, and for a
// played sequence its changes in PlayedChanges requests after it, in order,
// kPlayedChangesPerFrame to a request.
std::vector<Request> GenerationRequests(const GeneratorOptions& options);
// How many PlayedChanges requests follow a Generate request.
std::size_t FollowUpsOf(const Request& generate);
// Adds the next follow-up's changes to the played sequence in generate, or
// says why it cannot: not a PlayedChanges request, out of order, past the
// count announced, a change before the one it follows.
std::optional<std::string> AddFollowUp(Request& generate,
                                       const std::variant<Request, Refusal>& followUp);

// Whether a frame says it is a PlayedChanges request, whatever its payload.
bool IsFollowUp(const Frame& frame);

// The answer that carries a failure across.
Answer FailureAnswer(const PortError& error);

} // namespace portprov::helper_protocol
