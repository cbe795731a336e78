// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace portprov {

// The rates a square wave or a pulse train may have, in periods a second.
inline constexpr double kLowestSignalRate = 1.0;
inline constexpr double kHighestSignalRate = 100'000.0;
inline constexpr std::uint64_t kMostPulses = 1'000'000'000;
// The longest a square wave runs, and the latest time a played row may have.
inline constexpr std::chrono::hours kLongestSignal{24};
// The most rows a played sequence may have.
inline constexpr std::size_t kMostPlayedChanges = 1'000'000;

// One output pin's level on the connector (true = high, whatever the
// register's bit), from a time counted from the signal's start.
struct PinChange {
    std::chrono::nanoseconds time{};
    int pin = 0;
    bool high = false;
    bool operator==(const PinChange&) const = default;
};

// The pins high for `duty` percent of each period, then low, starting high
// at time 0, for `duration`.
struct SquareWave {
    std::vector<int> pins;
    double hz = 1000.0;
    double duty = 50.0; // above 0 and below 100
    std::chrono::nanoseconds duration = std::chrono::seconds(1);
};

// `count` pulses, one a period from time 0: each takes the pins from the
// level they had when the signal started (their idle level) to the other
// level for half a period and back, so a pin that idles high (strobe, with
// the port's inverter) pulses low. The pins end at their idle level.
struct PulseTrain {
    std::vector<int> pins;
    std::uint64_t count = 1;
    double hz = 1000.0;
};

// Pin levels at given times, as a recording of the data and control
// registers keeps them, to be played back: each change in time order (several
// may share a time); the pins not named keep their level. The signal lasts to
// `length` (at least the last change's time).
struct PlayedSequence {
    std::vector<PinChange> changes;
    std::chrono::nanoseconds length{};
};

// The kinds of waveform, the one list of them. Each kind has its section in
// Waveform.cpp; the dispatches over the kinds are std::visit calls with a case
// per kind, so that a kind added here without its case does not compile.
using Waveform = std::variant<SquareWave, PulseTrain, PlayedSequence>;

// The visitor of several lambdas, one per kind:
//   std::visit(Overloaded{[](const SquareWave&) {...}, ...}, waveform)
template <typename... Cases> struct Overloaded : Cases... { using Cases::operator()...; };
template <typename... Cases> Overloaded(Cases...) -> Overloaded<Cases...>;

// Whether a pin of the connector is one the generator can drive: the data
// pins 2 - 9 and the control pins 1, 14, 16 and 17.
bool IsGeneratorPin(int pin);

// The Swedish refusal of a waveform that cannot be generated (no pin, a pin
// that is not an output, a rate or count or duty out of range, changes out
// of order or past kLongestSignal), or nullopt when it can be. Looks at no
// port: whether the data pins are turned to input is seen when the signal
// starts.
std::optional<std::string> WaveformRefusal(const Waveform& waveform);

// How long the signal lasts: the square wave's duration, the pulses' count
// of periods, the played sequence's length.
std::chrono::nanoseconds WaveformLength(const Waveform& waveform);

// The pins the waveform drives, each once, in increasing order.
std::vector<int> WaveformPins(const Waveform& waveform);

// The changes a played sequence makes: each pin's first entry gives its
// level at the start and is not a change. The command line and the window
// count so, a file's first row not among its changes.
std::size_t PlayedChangeCount(const PlayedSequence& played);

} // namespace portprov
