// SPDX-License-Identifier: MIT
#include "ports/PortInfo.h"

#include <cstdio>
#include <utility>

namespace portprov {

namespace {

constexpr const char* kDash = " — ";

std::size_t IndexOf(PortMode mode) {
    return static_cast<std::size_t>(mode);
}

const char* YesNo(bool yes) {
    return yes ? "ja" : "nej";
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

} // namespace

std::string PortTitle(std::uint16_t base) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%X", unsigned{base});
    return std::to_string(base) + " (" + hex + ")";
}

std::string FoundModesText(const PortModes& modes) {
    switch (modes.of(PortMode::Spp)) {
    case ModeAnswer::No:
        return "ingen port";
    case ModeAnswer::Unknown:
        return "okänt";
    case ModeAnswer::Yes:
        break;
    }
    std::vector<std::string> found;
    for (const PortMode mode : kPortModes) {
        if (modes.of(mode) == ModeAnswer::Yes)
            found.emplace_back(ModeName(mode));
    }
    return Joined(found);
}

std::string KernelResourcesText(const KernelPortAccount& account) {
    std::string text = account.irq ? "irq " + std::to_string(*account.irq) : "ingen irq";
    if (account.dma)
        text += ", dma " + std::to_string(*account.dma);
    return text;
}

std::string KernelText(const KernelPortAccount& account) {
    std::vector<std::string> modes;
    for (const PortMode mode : kPortModes) {
        if (account.has(mode))
            modes.emplace_back(ModeName(mode));
    }
    return (modes.empty() ? std::string("inga lägen") : Joined(modes)) + kDash +
           KernelResourcesText(account);
}

std::vector<std::string> ModeNotes(const PortModes& modes, const KernelPortAccount* account) {
    // Each mode's note, then modes with the same note on one line, in order.
    std::vector<std::pair<std::vector<std::string>, std::string>> notes;
    for (const PortMode mode : kPortModes) {
        const ModeAnswer found = modes.of(mode);
        std::string note;
        if (found == ModeAnswer::Unknown) {
            const std::string reach = modes.unreached[IndexOf(mode)]
                                          ? "portåtkomsten når inte adress " +
                                                std::to_string(*modes.unreached[IndexOf(mode)])
                                          : std::string("portåtkomsten når inte porten");
            note = account ? std::string("kärnan ") + YesNo(account->has(mode)) +
                                 ", Portprov okänt (" + reach + ")"
                           : "okänt, " + reach;
        } else if (account && account->has(mode) != (found == ModeAnswer::Yes)) {
            note = std::string("kärnan ") + YesNo(account->has(mode)) + ", Portprov " +
                   YesNo(found == ModeAnswer::Yes);
        }
        if (note.empty())
            continue;
        auto same = notes.begin();
        while (same != notes.end() && same->second != note)
            ++same;
        if (same == notes.end())
            notes.push_back({{ModeName(mode)}, note});
        else
            same->first.emplace_back(ModeName(mode));
    }
    std::vector<std::string> lines;
    for (const auto& [names, note] : notes)
        lines.push_back(Joined(names) + ": " + note);
    return lines;
}

std::vector<std::string> DeviceNotes(const KernelPortAccount& account) {
    std::vector<std::string> lines;
    for (const std::string& id : account.deviceIds)
        lines.push_back("Apparat på porten (IEEE 1284): " + id);
    return lines;
}

std::string InfoLines(const PortModes& modes, const KernelPortAccount* account) {
    std::string text = PortTitle(modes.base) + ": " + FoundModesText(modes);
    if (account)
        text += kDash + KernelResourcesText(*account);
    text += '\n';
    std::vector<std::string> notes = ModeNotes(modes, account);
    if (account) {
        for (std::string& line : DeviceNotes(*account))
            notes.push_back(std::move(line));
    }
    for (const std::string& note : notes)
        text += "  " + note + '\n';
    return text;
}

} // namespace portprov
