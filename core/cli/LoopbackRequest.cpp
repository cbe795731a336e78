// SPDX-License-Identifier: MIT
#include "cli/LoopbackRequest.h"

#include "cli/GenerateRequest.h"
#include "cli/ProgramOptions.h"
#include "input/CommandInputs.h"
#include "loopback/Plugs.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace portprov {

namespace {

constexpr std::array<int, 5> kInputPins{10, 11, 12, 13, 15};

} // namespace

Checked<LoopbackPlan> CheckLoopbackRequest(const std::string& plug,
                                           const std::optional<std::string>& port,
                                           const NumberFormat& format) {
    LoopbackPlan plan;
    const std::optional<LoopbackPlug> chosen = PlugForOption(plug);
    if (!chosen)
        return "Okänd slingkontakt för --loopback: " + plug + " (välj " +
               Listed(PlugChoices(false), " eller ") + ")";
    plan.plug = *chosen;
    if (port) {
        const AddressInput address = CheckAddress(*port, Rounding::HalfEven, format);
        if (!address.accepted)
            return "--port: " + address.refusal;
        if (std::optional<std::string> refusal = BaseRefusal(address.port))
            return *refusal;
        plan.base = address.port;
    }
    return plan;
}

Checked<std::uint64_t> ReadRepeatCount(const std::string& text) {
    std::uint64_t count = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, count);
    if (text.empty() || error != std::errc() || stop != end)
        return "Ogiltigt antal omgångar för --repeat: \"" + text +
               "\". Skriv ett heltal, 0 för att upprepa tills programmet avbryts (Ctrl+C).";
    return count;
}

Checked<PinFault> ReadPinFault(const std::string& text) {
    const std::string usage = "Ogiltigt fel för --fault: \"" + text +
                              "\". Skriv STIFT:stuck-low, STIFT:stuck-high eller "
                              "STIFT:drop:ANDEL (ANDEL 0 till 1), STIFT en ingång: 10, 11, 12, "
                              "13 eller 15.";
    PinFault fault;
    const std::size_t colon = text.find(':');
    const char* const first = text.data();
    const auto [stop, error] =
        std::from_chars(first, first + std::min(colon, text.size()), fault.pin);
    if (colon == std::string::npos || error != std::errc() || stop != first + colon ||
        std::find(kInputPins.begin(), kInputPins.end(), fault.pin) == kInputPins.end())
        return usage;
    const std::string kind = text.substr(colon + 1);
    if (kind == "stuck-low" || kind == "stuck-high") {
        fault.kind = kind == "stuck-low" ? PinFault::Kind::StuckLow : PinFault::Kind::StuckHigh;
        return fault;
    }
    const std::string drop = "drop:";
    if (kind.rfind(drop, 0) != 0)
        return usage;
    std::string share = kind.substr(drop.size());
    std::replace(share.begin(), share.end(), ',', '.');
    const char* const begin = share.data();
    const auto [end, failed] = std::from_chars(begin, begin + share.size(), fault.share);
    if (share.empty() || failed != std::errc() || end != begin + share.size() ||
        !(fault.share >= 0.0 && fault.share <= 1.0))
        return usage;
    fault.kind = PinFault::Kind::Drop;
    return fault;
}

} // namespace portprov
