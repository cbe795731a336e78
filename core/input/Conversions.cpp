// SPDX-License-Identifier: MIT
#include "input/Conversions.h"

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

// Where a number's fraction lies between its two whole neighbours.
enum class Fraction { Zero, BelowHalf, Half, AboveHalf };

// A number as typed, kept so that it rounds exactly: its sign, its whole part,
// and its fraction judged from the digits themselves. The nearest double is
// kept beside it for ReadNumber; it may have rounded 0.4999999999999999999 up
// to a half, the fraction has not.
struct TypedNumber {
    bool negative = false;
    double whole = 0.0; // exact up to 2^53; above that only its size counts
    Fraction fraction = Fraction::Zero;
    double nearest = 0.0; // magnitude of the whole number with its fraction
};

Fraction FractionOf(std::string_view digits) {
    while (!digits.empty() && digits.back() == '0')
        digits.remove_suffix(1);
    if (digits.empty())
        return Fraction::Zero;
    if (digits.front() < '5')
        return Fraction::BelowHalf;
    if (digits.front() > '5' || digits.size() > 1)
        return Fraction::AboveHalf;
    return Fraction::Half;
}

// Decimal digits as a double; a number too large for one is infinity.
std::optional<double> DecimalValue(const std::string& digits, bool wholePartNonZero) {
    if (digits.empty() || digits == ".")
        return 0.0;
    double value = 0.0;
    const char* first = digits.data();
    const char* last = first + digits.size();
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

// Digits with at most one separator and at least one digit in all.
std::optional<TypedNumber> ReadDecimal(std::string_view text, std::string_view localeSeparator) {
    std::string wholeDigits;
    std::string fractionDigits;
    bool seenSeparator = false;
    bool wholePartNonZero = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const char c = text[pos];
        if (IsDigit(c)) {
            if (seenSeparator) {
                fractionDigits.push_back(c);
            } else {
                wholeDigits.push_back(c);
                wholePartNonZero = wholePartNonZero || c != '0';
            }
            ++pos;
            continue;
        }
        const std::size_t separatorLength = SeparatorAt(text, pos, localeSeparator);
        if (separatorLength == 0 || seenSeparator)
            return std::nullopt;
        seenSeparator = true;
        pos += separatorLength;
    }
    if (wholeDigits.empty() && fractionDigits.empty())
        return std::nullopt;

    // The same number with "." as separator, for from_chars.
    const std::optional<double> nearest =
        DecimalValue(wholeDigits + "." + fractionDigits, wholePartNonZero);
    const std::optional<double> whole = DecimalValue(wholeDigits, wholePartNonZero);
    if (!nearest || !whole)
        return std::nullopt;
    TypedNumber number;
    number.whole = *whole;
    number.fraction = FractionOf(fractionDigits);
    number.nearest = *nearest;
    return number;
}

std::optional<TypedNumber> ReadTyped(std::string_view text, const NumberFormat& format) {
    text = Trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;

    std::optional<TypedNumber> number;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (const std::optional<double> whole = ReadHexadecimal(text.substr(2))) {
            number = TypedNumber{};
            number->whole = *whole;
            number->nearest = *whole;
        }
    } else {
        number = ReadDecimal(text, format.decimalSeparator);
    }
    if (number)
        number->negative = negative;
    return number;
}

template <typename T>
NumberResult<T> Convert(std::string_view text, const NumberFormat& format, Rounding rounding) {
    const std::optional<double> whole = ReadWholeNumber(text, rounding, format);
    if (!whole)
        return NumberResult<T>::fail(NumberError::NotANumber);
    // Compared as doubles before any cast: both limits are exact in a double,
    // and an infinite or huge value must never reach the cast.
    if (!(*whole >= static_cast<double>(std::numeric_limits<T>::min()) &&
          *whole <= static_cast<double>(std::numeric_limits<T>::max())))
        return NumberResult<T>::fail(NumberError::OutOfRange);
    return NumberResult<T>::ok(static_cast<T>(*whole));
}

} // namespace

std::optional<double> ReadNumber(std::string_view text, const NumberFormat& format) {
    const std::optional<TypedNumber> number = ReadTyped(text, format);
    if (!number)
        return std::nullopt;
    return number->negative ? -number->nearest : number->nearest;
}

std::optional<double> ReadWholeNumber(std::string_view text, Rounding rounding,
                                      const NumberFormat& format) {
    const std::optional<TypedNumber> number = ReadTyped(text, format);
    if (!number)
        return std::nullopt;
    // Rounding to even and to the nearest is the same on both sides of zero;
    // rounding down takes a negative number's magnitude up.
    bool up = false;
    if (rounding == Rounding::Floor) {
        up = number->negative && number->fraction != Fraction::Zero;
    } else {
        up = number->fraction == Fraction::AboveHalf ||
             (number->fraction == Fraction::Half && std::fmod(number->whole, 2.0) != 0.0);
    }
    const double magnitude = up ? number->whole + 1.0 : number->whole;
    if (magnitude == 0.0)
        return 0.0; // no "-0" for a small negative fraction rounded to zero
    return number->negative ? -magnitude : magnitude;
}

NumberResult<std::int32_t> ToLong(std::string_view text, const NumberFormat& format) {
    return Convert<std::int32_t>(text, format, Rounding::HalfEven);
}

NumberResult<std::int16_t> ToInteger(std::string_view text, const NumberFormat& format) {
    return Convert<std::int16_t>(text, format, Rounding::HalfEven);
}

NumberResult<std::int32_t> FloorOf(std::string_view text, const NumberFormat& format) {
    return Convert<std::int32_t>(text, format, Rounding::Floor);
}

} // namespace portprov
