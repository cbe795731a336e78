// SPDX-License-Identifier: MIT
#include "ports/linux/KernelParportFiles.h"

#include "ports/PrintableText.h"
#include "ports/linux/ParallelPortDiscovery.h"

#include <charconv>

namespace portprov {

namespace {

// The kernel writes an ID of at most a few hundred bytes, the other files a
// short line; anything longer is none of them.
constexpr std::size_t kMostLineBytes = 256;
constexpr std::size_t kMostDeviceIdBytes = 4096;

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The kernel's name of each mode the program tells apart, by PortMode.
constexpr std::array<std::string_view, kPortModes.size()> kKernelModeNames{"PCSPP", "TRISTATE",
                                                                           "EPP", "ECP"};

} // namespace

std::array<bool, kPortModes.size()> ParseKernelModes(std::string_view text) {
    std::array<bool, kPortModes.size()> modes{};
    text = Trimmed(text);
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view name = Trimmed(text.substr(0, comma));
        for (std::size_t i = 0; i < kKernelModeNames.size(); ++i)
            modes[i] = modes[i] || name == kKernelModeNames[i];
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return modes;
}

std::optional<int> ParseKernelNumber(std::string_view text) {
    text = Trimmed(text);
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || number < 0)
        return std::nullopt;
    return number;
}

std::string DeviceIdLine(std::string_view text) {
    std::string line;
    text = Trimmed(text);
    while (!text.empty()) {
        const auto end = text.find_first_of("\r\n");
        const std::string_view field = Trimmed(text.substr(0, end));
        if (!field.empty()) {
            if (!line.empty())
                line += ' ';
            line += field;
        }
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    // The device's bytes reach the terminal: nothing of them may steer it.
    return PrintableText(line);
}

std::vector<KernelPortAccount> ReadKernelPortAccounts(const std::string& procRoot) {
    std::vector<KernelPortAccount> accounts;
    for (const ParallelPortNode& node : FindParallelPorts(procRoot)) {
        KernelPortAccount account;
        account.name = "parport" + std::to_string(node.number);
        account.base = node.base;
        const std::string folder = procRoot + "/" + account.name + "/";
        const auto text = [&](const char* file, std::size_t mostBytes) {
            return ShortFileText(folder + file, mostBytes).value_or(std::string());
        };
        account.modes = ParseKernelModes(text("modes", kMostLineBytes));
        account.irq = ParseKernelNumber(text("irq", kMostLineBytes));
        account.dma = ParseKernelNumber(text("dma", kMostLineBytes));
        for (const char* file :
             {"autoprobe", "autoprobe0", "autoprobe1", "autoprobe2", "autoprobe3"}) {
            std::string id = DeviceIdLine(text(file, kMostDeviceIdBytes));
            if (!id.empty())
                account.deviceIds.push_back(std::move(id));
        }
        accounts.push_back(std::move(account));
    }
    return accounts;
}

} // namespace portprov
