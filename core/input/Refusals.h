// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortIo.h"

#include <string_view>

namespace portprov {

// The refusals shown for input that cannot be used. An address's refusal,
// kInvalidAddressMessage, is the port accesses' own (ports/PortIo.h).
inline constexpr std::string_view kInvalidValueMessage = "Ogiltigt värde: skriv ett tal 0 - 255";
inline constexpr std::string_view kEmptyValueMessage = "Input får ej vara tom";

} // namespace portprov
