// SPDX-License-Identifier: MIT
#include "cli/NearestOption.h"

#include <algorithm>
#include <cctype>

namespace portprov {

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// The slips between a and b: letters left out, added or changed, and two
// neighbours swapped, each one slip (the optimal string alignment distance).
std::size_t Slips(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t changed = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + changed});
            if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) &&
                Lower(a[i - 2]) == Lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

std::vector<std::string> NearestNames(std::string_view typed,
                                      const std::vector<std::string>& known) {
    constexpr std::size_t kMostSlips = 2;
    std::vector<std::string> nearest;
    std::size_t fewest = kMostSlips + 1;
    for (const std::string& name : known) {
        const std::size_t slips = Slips(typed, name);
        if (slips > kMostSlips || 2 * slips >= typed.size() || slips > fewest)
            continue;
        if (slips < fewest)
            nearest.clear();
        fewest = slips;
        nearest.push_back(name);
    }
    return nearest;
}

} // namespace portprov
