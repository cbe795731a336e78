// SPDX-License-Identifier: MIT
#include "ports/linux/ParallelPortDiscovery.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace portprov {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFolderPrefix = "parport";
// The last register (control) sits two above the base.
constexpr unsigned long kHighestBase = 65535 - 2;

std::optional<int> PortNumber(const std::string& folderName) {
    if (folderName.size() <= kFolderPrefix.size() ||
        folderName.compare(0, kFolderPrefix.size(), kFolderPrefix) != 0) {
        return std::nullopt;
    }
    const char* first = folderName.data() + kFolderPrefix.size();
    const char* last = folderName.data() + folderName.size();
    int number = 0;
    const auto [end, error] = std::from_chars(first, last, number);
    if (error != std::errc{} || end != last || number < 0) {
        return std::nullopt;
    }
    return number;
}

// The first number of base-addr ("888\t1912\n": the base, then the ECP base).
std::optional<std::uint16_t> BaseAddress(const fs::path& file) {
    std::ifstream in(file);
    if (!in) {
        return std::nullopt;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto digits = text.find_first_not_of(" \t\n");
    if (digits == std::string::npos) {
        return std::nullopt;
    }
    unsigned long base = 0;
    const char* first = text.data() + digits;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, base);
    const bool separated = end == last || *end == ' ' || *end == '\t' || *end == '\n';
    if (error != std::errc{} || !separated || base == 0 || base > kHighestBase) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(base);
}

} // namespace

std::vector<ParallelPortNode> FindParallelPorts(const std::string& procRoot,
                                                const std::string& deviceFolder) {
    std::vector<ParallelPortNode> ports;
    std::error_code error;
    for (fs::directory_iterator entry(procRoot, error), end; !error && entry != end;
         entry.increment(error)) {
        const auto number = PortNumber(entry->path().filename().string());
        if (!number) {
            continue;
        }
        const auto base = BaseAddress(entry->path() / "base-addr");
        if (!base) {
            continue;
        }
        ports.push_back({*number, *base, deviceFolder + "/parport" + std::to_string(*number)});
    }
    std::sort(ports.begin(), ports.end(),
              [](const auto& a, const auto& b) { return a.number < b.number; });
    return ports;
}

} // namespace portprov
