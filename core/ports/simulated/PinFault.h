// SPDX-License-Identifier: MIT
#pragma once

namespace portprov {

// A fault of a status input pin of the simulated port at 888, to show what
// the loopback test makes of a bad plug or a bad port: the pin stuck at a
// level, or reading the wrong level in a share of the reads (a loose
// contact). The wrong reads come from a generator with a fixed seed, so a
// run gives the same reads every time.
struct PinFault {
    enum class Kind { StuckLow, StuckHigh, Drop };
    int pin = 15; // an input pin: 10, 11, 12, 13 or 15
    Kind kind = Kind::StuckLow;
    double share = 0; // for Drop: 0 to 1, the share of reads that read wrong
};

} // namespace portprov
