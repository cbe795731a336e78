#include "Conversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace portprov {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "0x" or "0X" and at least one hexadecimal digit, nothing else. Very long
// numbers lose precision or become infinite but keep their size order.
std::optional<double> ReadHexadecimal(std::string_view digits) {
    if (digits.empty())
        return std::nullopt;
    double value = 0.0;
    for (const char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16.0 + digit;
    }
    return value;
}

// The locale's separator counts only when it cannot be mistaken for part of
// a number; "." is always a separator.
std::size_t SeparatorAt(std::string_view text, std::size_t pos, std::string_view localeSeparator) {
    if (text[pos] == '.')
        return 1;
    if (!localeSeparator.empty() && !IsDigit(localeSeparator.front()) &&
        localeSeparator.front() != '+' && localeSeparator.front() != '-' &&
        text.substr(pos, localeSeparator.size()) == localeSeparator)
        return localeSeparator.size();
    return 0;
}

// Digits with at most one separator and at least one digit in all.
std::optional<double> ReadDecimal(std::string_view text, std::string_view localeSeparator) {
    std::string plain; // the same number with "." as separator, for from_chars
    plain.reserve(text.size());
    bool seenSeparator = false;
    bool seenDigit = false;
    bool wholePartNonZero = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const char c = text[pos];
        if (IsDigit(c)) {
            seenDigit = true;
            if (!seenSeparator && c != '0')
                wholePartNonZero = true;
            plain.push_back(c);
            ++pos;
            continue;
        }
        const std::size_t separatorLength = SeparatorAt(text, pos, localeSeparator);
        if (separatorLength == 0 || seenSeparator)
            return std::nullopt;
        seenSeparator = true;
        plain.push_back('.');
        pos += separatorLength;
    }
    if (!seenDigit)
        return std::nullopt;

    double value = 0.0;
    const char* first = plain.data();
    const char* last = first + plain.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (end != last)
        return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Too large for a double: still a number, larger than any limit the
        // program compares with. Too small: nearer to zero than anything else.
        return wholePartNonZero ? std::numeric_limits<double>::infinity() : 0.0;
    }
    if (error != std::errc{})
        return std::nullopt;
    return value;
}

template <typename T, typename Round>
NumberResult<T> Convert(std::string_view text, const NumberFormat& format, Round round) {
    const std::optional<double> number = ReadNumber(text, format);
    if (!number)
        return NumberResult<T>::fail(NumberError::NotANumber);
    const double whole = round(*number);
    // Compared as doubles before any cast: both limits are exact in a double,
    // and an infinite or huge value must never reach the cast.
    if (!(whole >= static_cast<double>(std::numeric_limits<T>::min()) &&
          whole <= static_cast<double>(std::numeric_limits<T>::max())))
        return NumberResult<T>::fail(NumberError::OutOfRange);
    return NumberResult<T>::ok(static_cast<T>(whole));
}

} // namespace

std::optional<double> ReadNumber(std::string_view text, const NumberFormat& format) {
    text = Trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;

    std::optional<double> magnitude;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        magnitude = ReadHexadecimal(text.substr(2));
    else
        magnitude = ReadDecimal(text, format.decimalSeparator);
    if (!magnitude)
        return std::nullopt;
    return negative ? -*magnitude : *magnitude;
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below; // exact for every double
    if (fraction > 0.5)
        return below + 1.0;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

NumberResult<std::int32_t> ToLong(std::string_view text, const NumberFormat& format) {
    return Convert<std::int32_t>(text, format, RoundHalfEven);
}

NumberResult<std::int16_t> ToInteger(std::string_view text, const NumberFormat& format) {
    return Convert<std::int16_t>(text, format, RoundHalfEven);
}

NumberResult<std::int32_t> FloorOf(std::string_view text, const NumberFormat& format) {
    return Convert<std::int32_t>(text, format, [](double value) { return std::floor(value); });
}

} // namespace portprov
