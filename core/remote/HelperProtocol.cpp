// SPDX-License-Identifier: MIT
// The frame's header, in front of every request and answer.
#include "remote/FrameFields.h"

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

} // namespace portprov::helper_protocol
