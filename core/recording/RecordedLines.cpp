// SPDX-License-Identifier: MIT
#include "recording/RecordedLines.h"

#include "connector/Connector.h"
#include "connector/GamePort.h"
#include "ports/ParallelPorts.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace portprov {

namespace {

// The registers' values at time 0, 0 where the recording lacks one, and how
// many changes that includes: those at time 0 (or before) count as the start,
// so that a file has one set of levels at time 0.
std::pair<std::vector<std::uint8_t>, std::size_t> StartOf(const Recording& recording) {
    std::vector<std::uint8_t> values(recording.ports.size());
    for (std::size_t channel = 0; channel < values.size(); ++channel)
        values[channel] = channel < recording.initial.size() ? recording.initial[channel] : 0;
    std::size_t next = 0;
    for (; next < recording.changes.size() && recording.changes[next].time.count() <= 0; ++next) {
        if (recording.changes[next].channel < values.size())
            values[recording.changes[next].channel] = recording.changes[next].value;
    }
    return {values, next};
}

bool LevelIn(const RecordedLine& line, const std::vector<std::uint8_t>& values) {
    return LevelOf(line, line.channel < values.size() ? values[line.channel] : std::uint8_t{0});
}

} // namespace

std::string WireNameOf(std::string_view name) {
    std::string wire;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c >= 'A' && c <= 'Z') {
            wire += static_cast<char>(c - 'A' + 'a');
        } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') {
            wire += static_cast<char>(c);
        } else if (c == 0xC3 && i + 1 < name.size()) {
            // UTF-8 å, ä, ö and Å, Ä, Ö: C3 followed by A5, A4, B6 or 85, 84, 96.
            const unsigned char next = static_cast<unsigned char>(name[i + 1]);
            switch (next) {
            case 0xA5:
            case 0xA4:
            case 0x85:
            case 0x84:
                wire += 'a';
                ++i;
                continue;
            case 0xB6:
            case 0x96:
                wire += 'o';
                ++i;
                continue;
            default:
                wire += '_';
                break;
            }
        } else {
            wire += '_';
        }
    }
    return wire;
}

std::vector<RecordedLine> LinesOf(std::span<const std::uint16_t> ports,
                                  std::span<const std::uint16_t> parallelBases) {
    // Which parallel ports and game port addresses are recorded: more than
    // one of either puts the address in front of its wire names.
    std::vector<std::uint16_t> bases;
    std::vector<std::uint16_t> gameAddresses;
    for (const std::uint16_t port : ports) {
        if (const auto parallel = ParallelRegisterAt(port, parallelBases)) {
            if (std::find(bases.begin(), bases.end(), parallel->base) == bases.end())
                bases.push_back(parallel->base);
        } else if (IsGamePort(port) && std::find(gameAddresses.begin(), gameAddresses.end(),
                                                 port) == gameAddresses.end()) {
            gameAddresses.push_back(port);
        }
    }

    std::vector<RecordedLine> lines;
    for (std::uint32_t channel = 0; channel < ports.size(); ++channel) {
        const std::uint16_t port = ports[channel];
        const std::string number = std::to_string(port);
        if (const auto parallel = ParallelRegisterAt(port, parallelBases)) {
            const std::string base = std::to_string(parallel->base);
            const std::string labelPrefix = bases.size() > 1 ? "Port " + base + " " : "";
            const std::string wirePrefix = bases.size() > 1 ? "lpt" + base + "_" : "";
            for (const ConnectorPin& pin : kConnectorPins) {
                if (pin.direction == LineDirection::Ground || pin.reg != parallel->reg)
                    continue;
                const std::string pinNumber = std::to_string(pin.pin);
                lines.push_back({channel, pin.bit, pin.inverted,
                                 labelPrefix + "Stift " + pinNumber + " " + pin.name,
                                 wirePrefix + "stift" + pinNumber + "_" + WireNameOf(pin.name),
                                 pin.pin});
            }
        } else if (IsGamePort(port)) {
            const std::string labelPrefix = gameAddresses.size() > 1 ? "Port " + number + " " : "";
            const std::string wirePrefix = gameAddresses.size() > 1 ? "port" + number + "_" : "";
            for (int bit = 0; bit < 8; ++bit) {
                const GamePortPin pin = *GamePinOf(bit);
                const std::string pinNumber = std::to_string(pin.pin);
                // A button's bit is its pin's level (grounded while held), so
                // no line here is inverted.
                lines.push_back(
                    {channel, bit, false, labelPrefix + "Stift " + pinNumber + " " + pin.name,
                     wirePrefix + "stift" + pinNumber + "_" + WireNameOf(pin.name), pin.pin});
            }
        } else {
            for (int bit = 0; bit < 8; ++bit) {
                const std::string bitNumber = std::to_string(bit);
                lines.push_back({channel, bit, false, "Port " + number + " bit " + bitNumber,
                                 "port" + number + "_bit" + bitNumber});
            }
        }
    }
    return lines;
}

std::vector<bool> InitialLevels(const Recording& recording, std::span<const RecordedLine> lines) {
    std::vector<bool> levels;
    levels.reserve(lines.size());
    const std::vector<std::uint8_t> values = StartOf(recording).first;
    for (const RecordedLine& line : lines)
        levels.push_back(LevelIn(line, values));
    return levels;
}

void ForEachMoment(
    const Recording& recording, std::span<const RecordedLine> lines,
    const std::function<void(std::chrono::nanoseconds time, const std::vector<bool>& levels,
                             const std::vector<bool>& changed)>& moment) {
    auto [values, next] = StartOf(recording);
    std::vector<bool> levels = InitialLevels(recording, lines);
    std::vector<bool> changed(lines.size());

    std::chrono::nanoseconds last{0};
    while (next < recording.changes.size()) {
        const std::chrono::nanoseconds time = std::max(recording.changes[next].time, last);
        // Every change at this time, then the lines' new levels.
        while (next < recording.changes.size() && recording.changes[next].time <= time) {
            const Recording::Change& change = recording.changes[next++];
            if (change.channel < values.size())
                values[change.channel] = change.value;
        }
        bool any = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const bool level = LevelIn(lines[i], values);
            changed[i] = level != levels[i];
            levels[i] = level;
            any = any || changed[i];
        }
        if (any)
            moment(time, levels, changed);
        last = time;
    }
}

} // namespace portprov
