// SPDX-License-Identifier: MIT
#pragma once

#include "cli/RecordRequest.h"
#include "recording/Recording.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace portprov {

// The recorded line a --trigger names, or the Swedish refusal. A pin is
// looked for on the connectors of the recorded registers (a parallel port's
// 25-pin connector, the game port's 15-pin one). With an address, only on the
// connector of that register (any register of a parallel port names its
// connector, any address 512 to 519 the game port's). Without one, the pin
// must be on one connector only: pin 3 is D1 on a parallel port and joystick
// A's X axis on the game port, and a guess would wait on the wrong wire. The
// same connector recorded through two addresses (512 and 513) is one wire:
// the first register given is taken.
struct TriggerLine {
    std::optional<RecordedLine> line;
    std::string refusal;
};
TriggerLine FindTriggerLine(const RecordPlan::Trigger& trigger,
                            std::span<const std::uint16_t> ports,
                            std::span<const RecordedLine> lines,
                            std::span<const std::uint16_t> parallelBases);

} // namespace portprov
