// SPDX-License-Identifier: MIT
#include "input/Conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace portprov;

namespace {

const NumberFormat kPoint{"."};
const NumberFormat kDecimalComma{","};
const NumberFormat kArabic{"\xD9\xAB"}; // U+066B, two bytes in UTF-8

template <typename T> void ExpectValue(const NumberResult<T>& result, T expected) {
    ASSERT_TRUE(result.hasValue());
    EXPECT_EQ(result.value(), expected);
}

template <typename T> void ExpectError(const NumberResult<T>& result, NumberError expected) {
    ASSERT_FALSE(result.hasValue()) << "value " << result.value();
    EXPECT_EQ(result.error(), expected);
}

} // namespace

TEST(Conversions, HalvesGoToTheEvenNeighbour) {
    ExpectValue(ToLong("888.5"), 888);
    ExpectValue(ToLong("889.5"), 890);
    ExpectValue(ToLong("0.5"), 0);
    ExpectValue(ToLong("1.5"), 2);
    ExpectValue(ToLong("-2.5"), -2);
    ExpectValue(ToLong("-3.5"), -4);
    ExpectValue(ToLong("888.51"), 889);
    ExpectValue(ToLong("889.49"), 889);
    ExpectValue(ToInteger("12.5"), std::int16_t{12});
    ExpectValue(ToInteger("13.5"), std::int16_t{14});
    ExpectValue(ToInteger("12.7"), std::int16_t{13});
    ExpectValue(ToInteger("255.5"), std::int16_t{256});
}

TEST(Conversions, FloorTakesTheWholeNumberBelow) {
    ExpectValue(FloorOf("255.5"), 255);
    ExpectValue(FloorOf("12.7"), 12);
    ExpectValue(FloorOf("12.9999"), 12);
    ExpectValue(FloorOf("-0.5"), -1);
    ExpectValue(FloorOf("-12.7"), -13);
    ExpectValue(FloorOf("890"), 890);
}

TEST(Conversions, RoundingFollowsTheDigitsTypedNotTheNearestDouble) {
    // Each of these is nearest to a double that lies on a half or a whole
    // number, which would round or floor it to the wrong neighbour.
    ExpectValue(ToLong("1.4999999999999999999"), 1);
    ExpectValue(ToLong("889.49999999999999999"), 889);
    ExpectValue(ToLong("-2.50000000000000000001"), -3);
    ExpectValue(ToLong("2147483647.4999999999999"), 2147483647);
    ExpectValue(ToInteger("12.4999999999999999"), std::int16_t{12});
    ExpectValue(FloorOf("12.99999999999999999999"), 12);
    ExpectValue(FloorOf("-780000000.00000000046"), -780000001);
    ExpectValue(FloorOf("-5.0000000000000000000000000001"), -6);
    // Zeros after the digits change nothing.
    ExpectValue(ToLong("2.5000000000000000000000"), 2);
    ExpectValue(FloorOf("-7.000000000000000000000"), -7);
    EXPECT_EQ(ReadWholeNumber("-0.4", Rounding::HalfEven), 0.0);
    EXPECT_FALSE(std::signbit(*ReadWholeNumber("-0.4", Rounding::HalfEven)));
}

TEST(Conversions, LocaleSeparatorAndPointAreBothAccepted) {
    ExpectValue(ToLong("888,5", kDecimalComma), 888);
    ExpectValue(ToLong("889,5", kDecimalComma), 890);
    ExpectValue(ToLong("889.5", kDecimalComma), 890);
    ExpectValue(FloorOf("12,7", kDecimalComma), 12);
    ExpectValue(ToInteger(",5", kDecimalComma), std::int16_t{0});
    ExpectValue(ToInteger("13\xD9\xAB"
                          "5",
                          kArabic),
                std::int16_t{14});
    ExpectValue(ToInteger("13.5", kArabic), std::int16_t{14});
    ExpectValue(ToInteger("13.5", NumberFormat{""}), std::int16_t{14});

    // A comma is not a separator where the locale does not use it.
    ExpectError(ToLong("888,5", kPoint), NumberError::NotANumber);
    // One separator only, whichever is written.
    ExpectError(ToLong("1,5.5", kDecimalComma), NumberError::NotANumber);
    ExpectError(ToLong("1\xD9\xAB"
                       "5\xD9\xAB"
                       "5",
                       kArabic),
                NumberError::NotANumber);
    // Half of a two-byte separator is no separator.
    ExpectError(ToLong("13\xD9"
                       "5",
                       kArabic),
                NumberError::NotANumber);
    ExpectError(ToLong("13\xD9", kArabic), NumberError::NotANumber);
}

TEST(Conversions, WholeHexadecimalNumbers) {
    ExpectValue(ToLong("0x378"), 888);
    ExpectValue(ToLong("0X378"), 888);
    ExpectValue(ToLong("0x37a"), 890);
    ExpectValue(ToLong("0X37A"), 890);
    ExpectValue(FloorOf("  0x379\t"), 889);
    ExpectValue(FloorOf("0x00ff"), 255);
    ExpectValue(ToLong("-0x10"), -16);
    ExpectValue(ToLong("0x7FFFFFFF"), 2147483647);
    ExpectError(ToLong("0x80000000"), NumberError::OutOfRange);

    for (const char* text :
         {"0x", "0x1.8", "0x1,8", "0xg", "x378", "0x 378", "0x-1", "378h", "&H378", "0x378z"})
        ExpectError(ToLong(text, kDecimalComma), NumberError::NotANumber);
}

TEST(Conversions, SurroundingBlanksAndASign) {
    ExpectValue(ToLong("  888  "), 888);
    ExpectValue(ToLong("\t888\t"), 888);
    ExpectValue(ToLong("+888"), 888);
    ExpectValue(ToLong(" -5 "), -5);
    ExpectValue(ToLong("0888"), 888);
    ExpectValue(FloorOf("7."), 7);
    ExpectValue(FloorOf(".7"), 0);
}

TEST(Conversions, AnythingElseIsNotANumber) {
    for (const char* text :
         {"",    " ",   "\t \t", "abc",  "1.2.3",    "12abc", "abc12", "1e400",    "1e3", "1E3",
          "nan", "NaN", "inf",   "-inf", "Infinity", "-",     "+",     ".",        "+.",  "--5",
          "+-5", "5-",  "- 5",   "1 2",  "8 88",     "\n888", "888\n", "\xD9\xAB", "١٢"})
        ExpectError(ToLong(text, kArabic), NumberError::NotANumber);
    EXPECT_FALSE(ReadNumber("", kPoint).has_value());
    EXPECT_FALSE(ToInteger("abc").hasValue());
    EXPECT_FALSE(FloorOf("1.2.3").hasValue());
    // A NUL inside the text ends nothing: the text is not a number.
    ExpectError(ToLong(std::string("88\0"
                                   "8",
                                   4)),
                NumberError::NotANumber);
}

TEST(Conversions, HugeNumbersKeepTheirSizeAndAreOutOfRange) {
    EXPECT_EQ(ReadNumber("100000000000000000000"), 1e20);
    const std::string thirtyDigits(30, '9');
    ASSERT_TRUE(ReadNumber(thirtyDigits).has_value());
    EXPECT_GT(*ReadNumber(thirtyDigits), 255.0);
    EXPECT_LT(*ReadNumber("-" + thirtyDigits), 0.0);

    // Beyond what a double holds: still larger than any limit.
    const std::string fourHundredDigits = "1" + std::string(400, '0');
    ASSERT_TRUE(ReadNumber(fourHundredDigits).has_value());
    EXPECT_GT(*ReadNumber(fourHundredDigits), 255.0);
    EXPECT_LT(*ReadNumber("-" + fourHundredDigits), -255.0);
    EXPECT_EQ(ReadNumber("0." + std::string(400, '0') + "1"), 0.0);
    const std::string longHex = "0x" + std::string(300, 'F');
    ASSERT_TRUE(ReadNumber(longHex).has_value());
    EXPECT_GT(*ReadNumber(longHex), 255.0);

    for (const std::string& text :
         {thirtyDigits, "-" + thirtyDigits, fourHundredDigits, "-" + fourHundredDigits, longHex}) {
        ExpectError(ToLong(text), NumberError::OutOfRange);
        ExpectError(ToInteger(text), NumberError::OutOfRange);
        ExpectError(FloorOf(text), NumberError::OutOfRange);
    }
}

TEST(Conversions, RangeLimitsAfterRounding) {
    ExpectValue(ToLong("2147483647"), 2147483647);
    ExpectValue(ToLong("2147483647.4"), 2147483647);
    ExpectError(ToLong("2147483647.5"), NumberError::OutOfRange);
    ExpectError(ToLong("2147483648"), NumberError::OutOfRange);
    ExpectValue(ToLong("-2147483648.5"), -2147483647 - 1);
    ExpectError(ToLong("-2147483649"), NumberError::OutOfRange);
    ExpectValue(FloorOf("2147483647.9"), 2147483647);
    ExpectError(FloorOf("-2147483648.5"), NumberError::OutOfRange);

    ExpectValue(ToInteger("32767"), std::int16_t{32767});
    ExpectValue(ToInteger("-32768"), std::int16_t{-32768});
    ExpectError(ToInteger("32767.5"), NumberError::OutOfRange);
    ExpectError(ToInteger("-32769"), NumberError::OutOfRange);
    ExpectError(ToInteger("40000"), NumberError::OutOfRange);
}
