// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace portprov {

// How the user's locale writes numbers. "." is accepted as the decimal
// separator in every locale besides the locale's own.
struct NumberFormat {
    std::string decimalSeparator = ".";
};

enum class NumberError {
    NotANumber, // empty, blank, or anything that is not a number
    OutOfRange, // a number, but outside the range of the result type
};

// The result of a text-to-number conversion: a value or the reason there is none.
template <typename T> class NumberResult {
public:
    static NumberResult ok(T value) { return NumberResult(value, NumberError::NotANumber, true); }
    static NumberResult fail(NumberError error) { return NumberResult(T{}, error, false); }

    bool hasValue() const { return valid_; }
    explicit operator bool() const { return valid_; }
    T value() const { return value_; }
    NumberError error() const { return error_; }

private:
    NumberResult(T value, NumberError error, bool valid)
        : value_(value), error_(error), valid_(valid) {}
    T value_;
    NumberError error_;
    bool valid_;
};

// How a text's number is made whole.
enum class Rounding {
    HalfEven, // nearest whole number, a half to the even neighbour
    Floor,    // largest whole number not above it
};

// Reads the text as a number: surrounding spaces allowed, an optional sign,
// decimal digits with an optional fraction after the locale's separator or
// ".", or a whole hexadecimal number written 0x378 (either case).
// nullopt when the text is not a number. The value is not narrowed: a number
// too large for a double reads as infinity with its sign, so it still compares
// above any limit. There is no exponent notation ("1e3" is not a number), so
// that every accepted text reads as the digits a user sees.
std::optional<double> ReadNumber(std::string_view text, const NumberFormat& format = {});

// The text's number made whole (see ReadNumber for what is a number). The
// rounding is decided from the digits as typed, not from the nearest double:
// 1.4999999999999999999 is below a half however many nines follow, and
// rounds to 1. Not narrowed: a whole part too large for a double reads as
// infinity with its sign. nullopt when the text is not a number.
std::optional<double> ReadWholeNumber(std::string_view text, Rounding rounding,
                                      const NumberFormat& format = {});

// Rounds to the nearest whole number, a half going to the even neighbour;
// signed 32-bit result.
NumberResult<std::int32_t> ToLong(std::string_view text, const NumberFormat& format = {});
// Rounds like ToLong; signed 16-bit result.
NumberResult<std::int16_t> ToInteger(std::string_view text, const NumberFormat& format = {});
// The largest whole number not above the text's number; signed 32-bit result.
NumberResult<std::int32_t> FloorOf(std::string_view text, const NumberFormat& format = {});

} // namespace portprov
