// SPDX-License-Identifier: MIT
#include "ports/linux/KernelLockdown.h"

#include <fstream>
#include <sstream>

namespace portprov {

std::optional<std::string> ReadLockdownMode(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseLockdownMode(text.str());
}

std::optional<std::string> ParseLockdownMode(const std::string& text) {
    const auto open = text.find('[');
    if (open == std::string::npos) {
        return std::nullopt;
    }
    const auto close = text.find(']', open + 1);
    if (close == std::string::npos || close == open + 1) {
        return std::nullopt;
    }
    return text.substr(open + 1, close - open - 1);
}

bool LockdownForbidsRawPorts(const std::optional<std::string>& mode) {
    return mode.has_value() && *mode != "none";
}

} // namespace portprov
