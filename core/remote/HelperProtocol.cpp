// SPDX-License-Identifier: MIT
// The frame's header and the addresses that requests and answers share.
#include "remote/FrameFields.h"

#include "loopback/Plugs.h"

namespace portprov::helper_protocol {

namespace {

std::uint64_t Field(const Frame& frame, std::size_t at, std::size_t bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value |= std::uint64_t{frame[at + i]} << (8 * i);
    return value;
}

} // namespace

std::variant<std::pair<Kind, std::size_t>, Refusal> ReadHeader(const Frame& frame) {
    if (Field(frame, 0, 4) != kMagic)
        return Refusal{"Meddelandet är inte portprov-io:s."};
    if (Field(frame, 4, 2) != kVersion)
        return Refusal{"Fönstret och portprov-io är av olika versioner. Installera om Portprov."};
    const std::size_t size = Field(frame, 8, 4);
    if (size > kPayloadSize)
        return Refusal{"Meddelandet är längre än sin ram."};
    return std::pair{static_cast<Kind>(Field(frame, 6, 2)), size};
}

std::uint16_t Port(Reader& in) {
    return static_cast<std::uint16_t>(in.check(in.u32(), 65535));
}

std::uint16_t Base(Reader& in) {
    return static_cast<std::uint16_t>(in.check(in.u32(), 65533));
}

void WritePlug(Writer& out, LoopbackPlug plug) {
    out.u8(IndexOf(plug));
}

LoopbackPlug ReadPlug(Reader& in) {
    // A row past the table fails the frame; the plug given back then is never used.
    return PlugAt(in.check(in.u8(), kPlugs.size() - 1)).value_or(LoopbackPlug::Control);
}

} // namespace portprov::helper_protocol
