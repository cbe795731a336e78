// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace portprov {

// A recording of one or more registers over time, as the recorder keeps it:
// each register's value at the start, then only its changes, with their
// times. Memory grows with the number of changes, not with the length.
struct Recording {
    // One register taking a new value.
    struct Change {
        std::chrono::nanoseconds time; // since the recording's time 0
        std::uint32_t channel;         // index into ports
        std::uint8_t value;
        bool operator==(const Change&) const = default;
    };

    std::vector<std::uint16_t> ports;  // the registers sampled, in turn
    std::vector<std::uint8_t> initial; // their values at time 0, one per port
    std::vector<Change> changes;       // in time order
    std::chrono::nanoseconds length{}; // time 0 to the last sample
    // Where the trigger's edge came, when the recording waited for one. Empty
    // with a trigger when the recording was stopped before the edge came: it
    // then holds the stretch recorded while waiting.
    std::optional<std::chrono::nanoseconds> triggerTime;
};

// What the recorder achieved.
struct RecordingStats {
    // Rounds, each reading every register once, of the kept stretch only
    // (not those spent waiting for a trigger's edge): samples, meanRate and
    // the recording's length agree.
    std::uint64_t samples = 0;
    double meanRate = 0.0;                 // rounds a second
    std::chrono::nanoseconds longestGap{}; // longest time between two reads of one register
    std::uint64_t lateSamples = 0;         // at a fixed rate: rounds later than one period
    // Beside a signal: gaps longer than its shortest step (gapLimit), in
    // which a change may have come and gone unseen.
    std::uint64_t longGaps = 0;
    std::chrono::nanoseconds gapLimit{};
    // Memory ran out: the recording ended there, early, and holds what was
    // recorded up to then.
    bool outOfMemory = false;
};

// One recorded line (a pin of a connector, or a bit of another register):
// what a diagram row, a VCD wire and a CSV column show.
struct RecordedLine {
    std::uint32_t channel; // index into Recording::ports
    int bit;               // 0 to 7 in that register
    // The line's level is the opposite of the bit (strobe, auto feed, select
    // in, busy): shown and saved at its level on the connector.
    bool inverted;
    std::string label; // for a person: "Stift 11 Busy", "Bit 3"
    std::string wire;  // for a file: "stift11_busy", "port513_bit3"
    int pin = 0;       // on its connector; 0 for a bit of another register
};

} // namespace portprov
