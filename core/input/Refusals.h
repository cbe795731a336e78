// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace portprov {

// The refusals shown for input that cannot be used.
inline constexpr std::string_view kInvalidAddressMessage =
    "Ogiltig adress: skriv ett heltal 0 - 65535";
inline constexpr std::string_view kInvalidValueMessage = "Ogiltigt värde: skriv ett tal 0 - 255";
inline constexpr std::string_view kEmptyValueMessage = "Input får ej vara tom";

} // namespace portprov
