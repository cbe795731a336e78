// SPDX-License-Identifier: MIT
#include "loopback/Plugs.h"

#include "connector/Connector.h"

#include <algorithm>

namespace portprov {

namespace {

// A row is found by its plug's number, and must be a plug the connector can
// carry: each pair from an output or data pin to a status input, no pin
// twice. A row that breaks this does not compile.
constexpr bool IsOutput(int pin) {
    const std::optional<ConnectorPin> found = PinOf(pin);
    return found &&
           (found->direction == LineDirection::Output || found->direction == LineDirection::Data);
}

constexpr bool IsInput(int pin) {
    const std::optional<ConnectorPin> found = PinOf(pin);
    return found && found->direction == LineDirection::Input;
}

constexpr bool Wireable(const Plug& plug) {
    for (std::size_t i = 0; i < plug.pins.size(); ++i) {
        if (!IsOutput(plug.pins[i].output) || !IsInput(plug.pins[i].input))
            return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (plug.pins[j].output == plug.pins[i].output ||
                plug.pins[j].input == plug.pins[i].input)
                return false;
        }
    }
    return true;
}

constexpr bool RowsInOrder() {
    for (std::size_t i = 0; i < kPlugs.size(); ++i) {
        if (static_cast<std::size_t>(kPlugs[i].plug) != i || !Wireable(kPlugs[i]))
            return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (std::string_view(kPlugs[j].option) == kPlugs[i].option ||
                std::string_view(kPlugs[j].name) == kPlugs[i].name)
                return false;
        }
    }
    return true;
}

static_assert(RowsInOrder());

} // namespace

const Plug& PlugOf(LoopbackPlug plug) {
    return kPlugs[IndexOf(plug)];
}

std::optional<LoopbackPlug> PlugAt(std::size_t index) {
    if (index >= kPlugs.size())
        return std::nullopt;
    return kPlugs[index].plug;
}

std::size_t IndexOf(LoopbackPlug plug) {
    return std::min(static_cast<std::size_t>(plug), kPlugs.size() - 1);
}

std::optional<LoopbackPlug> PlugForOption(std::string_view option) {
    for (const Plug& row : kPlugs) {
        if (option == row.option)
            return row.plug;
    }
    return std::nullopt;
}

std::string PinPairsText(const Plug& plug, std::string_view dash) {
    std::string text;
    for (const PinPair& pair : plug.pins) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(pair.output);
        text += dash;
        text += std::to_string(pair.input);
    }
    return text;
}

} // namespace portprov
