// SPDX-License-Identifier: MIT
#include "ports/PrintableText.h"

#include <array>
#include <cstddef>

namespace portprov {

namespace {

constexpr char kPlaceholder = ' ';

struct Decoded {
    char32_t point = 0;
    std::size_t length = 0; // 0: no valid sequence starts here
};

// The character whose UTF-8 sequence starts bytes.
Decoded DecodeUtf8(std::string_view bytes) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    char32_t point = 0;
    char32_t least = 0; // below it the sequence is an overlong form
    if ((lead & 0xE0) == 0xC0) {
        length = 2, point = lead & 0x1Fu, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, point = lead & 0x0Fu, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, point = lead & 0x07u, least = 0x10000;
    } else {
        return {}; // a continuation byte, or one UTF-8 never uses
    }
    if (bytes.size() < length)
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {};
        point = point << 6 | (byte(i) & 0x3Fu);
    }
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return {};
    return {point, length};
}

struct Range {
    char32_t first;
    char32_t last;
};

// Characters that show nothing of their own but act on the text or the
// terminal: the controls, the format characters (Unicode's category Cf, the
// direction marks, overrides and isolates among them) and the line and
// paragraph separators.
constexpr auto kUnprintable = std::to_array<Range>({
    {0x0000, 0x001F},   {0x007F, 0x009F},   {0x00AD, 0x00AD},   {0x0600, 0x0605},
    {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},
    {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x2028, 0x202E},
    {0x2060, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A},
    {0xE0001, 0xE007F},
});

bool Printable(char32_t point) {
    for (const Range& range : kUnprintable) {
        if (point >= range.first && point <= range.last)
            return false;
    }
    return true;
}

} // namespace

std::string PrintableText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const Decoded decoded = DecodeUtf8(bytes);
        // A byte that starts nothing valid is passed over alone: the next
        // may start a character again.
        const std::size_t length = decoded.length == 0 ? 1 : decoded.length;
        if (decoded.length != 0 && Printable(decoded.point))
            text += bytes.substr(0, length);
        else
            text += kPlaceholder;
        bytes.remove_prefix(length);
    }
    return text;
}

std::string PrintableExcerpt(std::string_view bytes, std::size_t most) {
    // Each character takes at most four bytes, and each byte that starts
    // none becomes one: the first `most` characters lie within these.
    constexpr std::size_t kLongestSequence = 4;
    const std::size_t looked = most < bytes.size() / kLongestSequence
                                   ? most * kLongestSequence
                                   : bytes.size();
    std::string text = PrintableText(bytes.substr(0, looked));
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A UTF-8 sequence starts at each byte but its continuation bytes.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (characters++ == most) {
            text.resize(i);
            return text + "…";
        }
    }
    return looked < bytes.size() ? text + "…" : text;
}

} // namespace portprov
