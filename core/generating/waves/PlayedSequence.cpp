// SPDX-License-Identifier: MIT
// The played sequence: its checks, its length and pins; its changes are
// played once as they are.
#include "generating/Waveform.h"
#include "generating/WriteSchedule.h"
#include "generating/waves/WaveChecks.h"

#include <set>

namespace portprov {

using std::chrono::nanoseconds;

std::optional<std::string> Refusal(const PlayedSequence& played) {
    if (played.changes.empty())
        return "Det finns inget att spela upp.";
    if (played.changes.size() > kMostPlayedChanges)
        return "Högst 1000000 ändringar kan spelas upp.";
    nanoseconds last{};
    for (const PinChange& change : played.changes) {
        if (!IsGeneratorPin(change.pin))
            return PinsRefusal({change.pin});
        if (change.time < last)
            return "Uppspelningens tider måste komma i ordning.";
        last = change.time;
    }
    if (played.length < last || played.length > kLongestSignal)
        return "Uppspelningen får vara högst 24 timmar lång.";
    return std::nullopt;
}

nanoseconds Length(const PlayedSequence& played) {
    return played.length;
}

std::vector<int> Pins(const PlayedSequence& played) {
    std::set<int> pins;
    for (const PinChange& change : played.changes)
        pins.insert(change.pin);
    return {pins.begin(), pins.end()};
}

ScheduleShape Shape(const PlayedSequence& played, const RegisterValues& /*idle*/) {
    return {0.0, {}, 0, {}, played.changes};
}

} // namespace portprov
