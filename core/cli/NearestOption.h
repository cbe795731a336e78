// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace portprov {

// The known names nearest to a mistyped one, for "Menade du --square?": the
// fewest slips away (a letter left out, added, changed, or two swapped), and
// only when that is at most two slips and under half the typed name, so that
// a name that merely shares a letter or two is not offered. Several when
// they are equally near, in the order of known; none when none is that close.
// Letters are compared as typed, except that case is not a slip.
std::vector<std::string> NearestNames(std::string_view typed,
                                      const std::vector<std::string>& known);

} // namespace portprov
