// SPDX-License-Identifier: MIT
// What the kinds of waveform check and say alike (Waveform.cpp).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace portprov {

// The refusal of a list of pins with none in it or one that is no output.
std::optional<std::string> PinsRefusal(const std::vector<int>& pins);
// The refusal of a rate outside kLowestSignalRate - kHighestSignalRate.
std::optional<std::string> RateRefusal(double hz);
// The pins sorted, each once.
std::vector<int> SortedOnce(std::vector<int> pins);

} // namespace portprov
