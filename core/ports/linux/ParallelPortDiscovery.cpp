// SPDX-License-Identifier: MIT
#include "ports/linux/ParallelPortDiscovery.h"

#include "connector/GamePort.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/ParallelPorts.h"
#include "ports/linux/RetryOnInterrupt.h"

#include <algorithm>
#include <charconv>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace portprov {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFolderPrefix = "parport";
// The last register (control) sits two above the base.
constexpr unsigned long kHighestBase = 65535 - kControlOffset;
// Below 0x100 lie the motherboard's own devices (timer, keyboard, DMA).
constexpr unsigned long kLowestBase = 0x100;
// The kernel's base-addr is one short line; anything longer is no port's.
constexpr std::size_t kMostBaseAddrBytes = 64;

// N of "parportN", written as the kernel writes it: "parport00" is no name of
// its own but would list port 0 twice.
std::optional<int> PortNumber(const std::string& folderName) {
    if (folderName.size() <= kFolderPrefix.size() ||
        folderName.compare(0, kFolderPrefix.size(), kFolderPrefix) != 0) {
        return std::nullopt;
    }
    const char* first = folderName.data() + kFolderPrefix.size();
    const char* last = folderName.data() + folderName.size();
    int number = 0;
    const auto [end, error] = std::from_chars(first, last, number);
    if (error != std::errc{} || end != last || number < 0 ||
        std::to_string(number) != std::string_view(first, last)) {
        return std::nullopt;
    }
    return number;
}

} // namespace

std::optional<std::string> ShortFileText(const std::string& file, std::size_t mostBytes) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    const int fd = RetryOnInterrupt(
        [&] { return ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); });
    if (fd < 0)
        return std::nullopt;
    std::string text(mostBytes + 1, '\0');
    std::size_t size = 0;
    bool readable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    while (readable && size < text.size()) {
        const ssize_t got =
            RetryOnInterrupt([&] { return ::read(fd, text.data() + size, text.size() - size); });
        if (got <= 0) {
            readable = got == 0;
            break;
        }
        size += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (!readable || size > mostBytes)
        return std::nullopt;
    text.resize(size);
    return text;
}

namespace {

// The ports, in number order, whose registers are theirs alone. A usual base
// is that port, already in the address list. Any other base must share no
// register with a usual port, the game port or a port kept before it: the
// list would otherwise show one register under two ports.
std::vector<ParallelPortNode> WithoutClashes(const std::vector<ParallelPortNode>& ports) {
    std::vector<ParallelPortNode> kept;
    for (const ParallelPortNode& port : ports) {
        const auto shares = [&port](unsigned first, unsigned last) {
            return port.base <= last && first <= unsigned{port.base} + kControlOffset;
        };
        const auto sharesWithPort = [&shares](unsigned base) {
            return shares(base, base + kControlOffset);
        };
        bool clash = std::any_of(kept.begin(), kept.end(), [&](const ParallelPortNode& other) {
            return sharesWithPort(other.base);
        });
        if (!IsUsualParallelBase(port.base)) {
            clash =
                clash || shares(kGamePortFirst, kGamePortLast) ||
                std::any_of(kUsualParallelBases.begin(), kUsualParallelBases.end(), sharesWithPort);
        }
        if (!clash)
            kept.push_back(port);
    }
    return kept;
}

} // namespace

std::optional<std::uint16_t> ParseBaseAddress(std::string_view text) {
    const auto digits = text.find_first_not_of(" \t\n");
    if (digits == std::string_view::npos) {
        return std::nullopt;
    }
    unsigned long base = 0;
    const char* first = text.data() + digits;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, base);
    const bool separated = end == last || *end == ' ' || *end == '\t' || *end == '\n';
    if (error != std::errc{} || !separated || base < kLowestBase || base > kHighestBase) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(base);
}

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
        const auto text = ShortFileText(entry->path() / "base-addr", kMostBaseAddrBytes);
        const auto base = text ? ParseBaseAddress(*text) : std::nullopt;
        if (!base) {
            continue;
        }
        ports.push_back({*number, *base, deviceFolder + "/parport" + std::to_string(*number)});
    }
    std::sort(ports.begin(), ports.end(),
              [](const auto& a, const auto& b) { return a.number < b.number; });
    return WithoutClashes(ports);
}

} // namespace portprov
