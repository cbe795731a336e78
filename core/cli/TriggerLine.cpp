// SPDX-License-Identifier: MIT
#include "cli/TriggerLine.h"

#include "connector/Connector.h"
#include "connector/GamePort.h"
#include "ports/ParallelPorts.h"

#include <algorithm>
#include <vector>

namespace portprov {

namespace {

// A connector, as the user names it: a parallel port by its base, the game
// port by 513 (every address 512 to 519 reaches it).
struct Connector {
    std::uint16_t address;
    bool game;
    bool operator==(const Connector&) const = default;
};

std::optional<Connector> ConnectorOf(std::uint16_t port,
                                     std::span<const std::uint16_t> parallelBases) {
    if (const auto parallel = ParallelRegisterAt(port, parallelBases))
        return Connector{parallel->base, false};
    if (IsGamePort(port))
        return Connector{513, true};
    return std::nullopt;
}

// "D1 på parallellporten 888", "Styrspak A X på spelporten".
std::string Described(const RecordedLine& line, const Connector& connector) {
    if (connector.game)
        return std::string(GamePinOf(line.bit)->name) + " på spelporten";
    return std::string(kConnectorPins[static_cast<std::size_t>(line.pin - 1)].name) +
           " på parallellporten " + std::to_string(connector.address);
}

std::string Listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " och " : ", ") + items[i];
    return text;
}

} // namespace

TriggerLine FindTriggerLine(const RecordPlan::Trigger& trigger,
                            std::span<const std::uint16_t> ports,
                            std::span<const RecordedLine> lines,
                            std::span<const std::uint16_t> parallelBases) {
    const std::string pin = std::to_string(trigger.pin);
    std::optional<Connector> wanted;
    if (trigger.address) {
        wanted = ConnectorOf(*trigger.address, parallelBases);
        if (!wanted)
            return {std::nullopt, "Adressen " + std::to_string(*trigger.address) +
                                      " i --trigger är ingen parallellport eller spelport: skriv "
                                      "adressen till porten som stift " +
                                      pin + " sitter på."};
    }
    std::vector<std::pair<RecordedLine, Connector>> found;
    for (const RecordedLine& line : lines) {
        if (line.pin != trigger.pin || line.channel >= ports.size())
            continue;
        const std::optional<Connector> connector = ConnectorOf(ports[line.channel], parallelBases);
        if (!connector || (wanted && *connector != *wanted))
            continue;
        const bool seen = std::any_of(found.begin(), found.end(), [&](const auto& other) {
            return other.second == *connector;
        });
        if (!seen)
            found.emplace_back(line, *connector);
    }
    if (found.empty())
        return {std::nullopt, "Stift " + pin +
                                  " är ingen av de inspelade ledningarna: spela in registret som "
                                  "stiftet hör till."};
    if (found.size() > 1) {
        std::vector<std::string> described;
        for (const auto& [line, connector] : found)
            described.push_back(Described(line, connector));
        return {std::nullopt, "Stift " + pin +
                                  " finns på flera av de inspelade portarna: " + Listed(described) +
                                  ". Skriv porten först, till exempel --trigger " +
                                  std::to_string(found.front().second.address) + ":" + pin +
                                  (trigger.rising ? ":rise." : ":fall.")};
    }
    return {found.front().first, {}};
}

} // namespace portprov
