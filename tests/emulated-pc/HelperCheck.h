// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace portprov::hardwaretest {

// portprov-guest-check helper <text>, as root: gives the helper portprov-io
// its one right, then checks that a user without rights reaches the ports
// through it (prints "<text> via portprov-io", then a pulse train with its
// own byte, PulseTrainCheck.h), and that killing that user's
// program during a sequence leaves the port as it was and the helper gone.
int RunHelper(const std::string& text);

} // namespace portprov::hardwaretest
