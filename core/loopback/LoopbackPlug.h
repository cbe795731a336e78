// SPDX-License-Identifier: MIT
#pragma once

namespace portprov {

// The two common loopback (wrap) plugs for a parallel port.
enum class LoopbackPlug {
    // Pins 1-13, 2-15, 14-12, 16-10, 17-11: the control lines and D0 to the
    // status inputs.
    Control,
    // Pins 2-15, 3-13, 4-12, 5-10, 6-11: D0 to D4 to the five status inputs.
    Data,
};

} // namespace portprov
