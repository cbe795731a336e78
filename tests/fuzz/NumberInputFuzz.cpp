// SPDX-License-Identifier: MIT
// Fuzz target for what users type into the address and value boxes.
//
// The first byte of each input picks the locale's decimal separator, the rest
// is the text. An independent reading of the text (below, exact, no floating
// point) decides what every conversion and check must give.

#include "input/CommandInputs.h"
#include "input/Conversions.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

using namespace portprov;

namespace {

// The number a text stands for, kept exactly: whole part (or "huge" when it
// has more than 30 significant digits) and where its fraction lies.
enum class Fraction { Zero, BelowHalf, Half, AboveHalf };
struct Exact {
    bool negative = false;
    bool huge = false;
    unsigned __int128 whole = 0;
    Fraction fraction = Fraction::Zero;
};

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

std::optional<Exact> ReadExactly(std::string_view text, std::string_view separator) {
    while (!text.empty() && Blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && Blank(text.back()))
        text.remove_suffix(1);
    Exact number;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        number.negative = text[0] == '-';
        text.remove_prefix(1);
    }
    auto addDigit = [&](unsigned digit, unsigned base) {
        if (number.huge)
            return;
        number.whole = number.whole * base + digit;
        if (number.whole > static_cast<unsigned __int128>(1) << 100)
            number.huge = true;
    };
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        if (text.empty())
            return std::nullopt;
        for (char c : text) {
            unsigned digit = 0;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            else
                return std::nullopt;
            addDigit(digit, 16);
        }
        return number;
    }
    const bool localeCounts = !separator.empty() && !(separator[0] >= '0' && separator[0] <= '9') &&
                              separator[0] != '+' && separator[0] != '-';
    bool digits = false;
    bool afterSeparator = false;
    std::string fraction;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            if (afterSeparator)
                fraction.push_back(c);
            else
                addDigit(static_cast<unsigned>(c - '0'), 10);
            ++i;
            continue;
        }
        std::size_t length = 0;
        if (c == '.')
            length = 1;
        else if (localeCounts && text.substr(i, separator.size()) == separator)
            length = separator.size();
        if (length == 0 || afterSeparator)
            return std::nullopt;
        afterSeparator = true;
        i += length;
    }
    if (!digits)
        return std::nullopt;
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (fraction.empty())
        number.fraction = Fraction::Zero;
    else if (fraction[0] < '5')
        number.fraction = Fraction::BelowHalf;
    else if (fraction == "5")
        number.fraction = Fraction::Half;
    else
        number.fraction = Fraction::AboveHalf;
    return number;
}

// The whole number as a signed 128-bit value, or nothing when huge.
std::optional<__int128> Rounded(const Exact& number, Rounding rounding) {
    if (number.huge)
        return std::nullopt;
    auto magnitude = static_cast<__int128>(number.whole);
    if (rounding == Rounding::Floor) {
        if (number.negative && number.fraction != Fraction::Zero)
            ++magnitude;
    } else if (number.fraction == Fraction::AboveHalf ||
               (number.fraction == Fraction::Half && magnitude % 2 != 0)) {
        ++magnitude;
    }
    return number.negative ? -magnitude : magnitude;
}

[[noreturn]] void Fail(const char* what, std::string_view text) {
    std::fprintf(stderr, "%s for \"", what);
    for (const char c : text)
        std::fprintf(stderr, c >= 32 && c < 127 ? "%c" : "\\x%02X", static_cast<unsigned char>(c));
    std::fprintf(stderr, "\"\n");
    std::abort();
}

template <typename T>
void CheckConversion(const NumberResult<T>& result, const std::optional<Exact>& exact,
                     Rounding rounding, std::string_view text, const char* name) {
    if (!exact) {
        if (result.hasValue() || result.error() != NumberError::NotANumber)
            Fail(name, text);
        return;
    }
    const auto whole = Rounded(*exact, rounding);
    const bool fits =
        whole && *whole >= std::numeric_limits<T>::min() && *whole <= std::numeric_limits<T>::max();
    if (fits != result.hasValue())
        Fail(name, text);
    if (fits && result.value() != static_cast<T>(*whole))
        Fail(name, text);
    if (!fits && result.error() != NumberError::OutOfRange)
        Fail(name, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const char* const kSeparators[] = {".", ",", "\xD9\xAB", "", "\xC2\xA0", "0", "-"};
    const NumberFormat format{kSeparators[data[0] % std::size(kSeparators)]};
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::optional<Exact> exact = ReadExactly(text, format.decimalSeparator);
    if (ReadNumber(text, format).has_value() != exact.has_value())
        Fail("ReadNumber", text);
    CheckConversion(ToLong(text, format), exact, Rounding::HalfEven, text, "ToLong");
    CheckConversion(ToInteger(text, format), exact, Rounding::HalfEven, text, "ToInteger");
    CheckConversion(FloorOf(text, format), exact, Rounding::Floor, text, "FloorOf");

    for (const Rounding rounding : {Rounding::HalfEven, Rounding::Floor}) {
        const std::optional<__int128> whole = exact ? Rounded(*exact, rounding) : std::nullopt;

        const AddressInput address = CheckAddress(text, rounding, format);
        const bool validPort = whole && *whole >= 0 && *whole <= 65535;
        if (address.accepted != validPort || address.accepted != address.refusal.empty())
            Fail("CheckAddress", text);
        if (address.accepted && address.port != static_cast<std::uint16_t>(*whole))
            Fail("CheckAddress port", text);

        const ValueInput value = CheckValue(text, rounding, format);
        const bool nonNegative =
            exact && (!whole || *whole >= 0) && !(exact->huge && exact->negative);
        if (value.accepted != nonNegative || value.accepted != value.refusal.empty())
            Fail("CheckValue", text);
        if (value.accepted) {
            const bool above = !whole || *whole > 255;
            if (value.aboveRange != above || value.value != (above ? 255 : *whole))
                Fail("CheckValue byte", text);
        }
    }
    return 0;
}
