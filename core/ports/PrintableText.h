// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace portprov {

// Text that came from a device (a printer's IEEE 1284 ID) as printable UTF-8
// alone, for a terminal or a window: each character kept that shows as
// itself, and a blank for each control character (C0, DEL, C1), each
// invisible format or direction character (a right-to-left override, a
// zero-width space, a byte order mark, a line separator) and each byte that
// starts no valid UTF-8 sequence (stray, cut short, overlong, a surrogate,
// beyond U+10FFFF). A device cannot steer the terminal nor turn the text
// round this way.
std::string PrintableText(std::string_view bytes);

// The same, for quoting in a message: at most `most` characters of the
// printable text, with "…" after them where the text went on. Looks at no
// more of bytes than those characters can take, however long it is.
std::string PrintableExcerpt(std::string_view bytes, std::size_t most);

} // namespace portprov
