// SPDX-License-Identifier: MIT
#include "input/CommandInputs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

using namespace portprov;

namespace {

const NumberFormat kComma{","};

} // namespace

TEST(CheckAddress, AcceptsPortsOfSixteenBitsOnly) {
    EXPECT_EQ(CheckAddress("888", Rounding::HalfEven, {}).port, 888);
    EXPECT_EQ(CheckAddress("0", Rounding::Floor, {}).port, 0);
    EXPECT_TRUE(CheckAddress("65535", Rounding::Floor, {}).accepted);
    EXPECT_EQ(CheckAddress("0x378", Rounding::Floor, {}).port, 888);

    // 65536 would alias to port 0 on an x86 bus; negative numbers are no port.
    for (const char* text : {"65536", "-1", "4294967297", "1e30", "-0.6"}) {
        const AddressInput input = CheckAddress(text, Rounding::HalfEven, {});
        EXPECT_FALSE(input.accepted) << text;
        EXPECT_EQ(input.refusal, kInvalidAddressMessage) << text;
    }
}

TEST(CheckAddress, NoTextAliasesToAPortOfSixteenBits) {
    // Each of these has low 16 bits, or a look, of a real port (888 = 0x378).
    const std::string texts[] = {
        "66424",                                // 0x10378
        "0x10378",                              // the same in hexadecimal
        "4294968184",                           // 2^32 + 888
        "-64648",                               // -65536 + 888
        "-65536",                               // 0 in 16 bits
        "18446744073709552504",                 // 2^64 + 888
        "8.88e2",                               // no exponents: no number here
        "1e5",                                  // (100000, no port either way)
        "888,5",                                // a comma where the locale writes "."
        "\xEF\xBC\x98\xEF\xBC\x98\xEF\xBC\x98", // full-width 888
        "888\xC2\xA0",                          // a non-breaking space is not a blank
        "\xC2\xA0"
        "888",
        std::string("888\0", 4), // a NUL ends nothing
        std::string("\0"
                    "888",
                    4),
        "\xD9\xA8\xD9\xA8\xD9\xA8", // Arabic-Indic 888
    };
    for (const std::string& text : texts) {
        for (const Rounding rounding : {Rounding::HalfEven, Rounding::Floor}) {
            const AddressInput input = CheckAddress(text, rounding, {});
            EXPECT_FALSE(input.accepted) << text << " gave port " << input.port;
            EXPECT_EQ(input.refusal, kInvalidAddressMessage) << text;
        }
    }
}

TEST(CheckAddress, RefusesTextThatIsNoNumber) {
    for (const char* text : {"", "   ", "abc", "88 8", "0x", "888abc"}) {
        const AddressInput input = CheckAddress(text, Rounding::Floor, {});
        EXPECT_FALSE(input.accepted) << '"' << text << '"';
        EXPECT_EQ(input.refusal, "Ogiltig adress: skriv ett heltal 0 - 65535");
    }
}

TEST(CheckAddress, RoundsTheWayTheCommandAsks) {
    // The read command rounds halves to even, the write command rounds down.
    EXPECT_EQ(CheckAddress("888.5", Rounding::HalfEven, {}).port, 888);
    EXPECT_EQ(CheckAddress("889.5", Rounding::HalfEven, {}).port, 890);
    EXPECT_EQ(CheckAddress("889.5", Rounding::Floor, {}).port, 889);
    EXPECT_EQ(CheckAddress("889,5", Rounding::HalfEven, kComma).port, 890);
    // Just below the top, rounding up leaves the range; rounding down does not.
    EXPECT_FALSE(CheckAddress("65535.7", Rounding::HalfEven, {}).accepted);
    EXPECT_EQ(CheckAddress("65535.7", Rounding::Floor, {}).port, 65535);
    // A small negative fraction rounds to 0 but its floor is -1.
    EXPECT_EQ(CheckAddress("-0.4", Rounding::HalfEven, {}).port, 0);
    EXPECT_FALSE(CheckAddress("-0.4", Rounding::Floor, {}).accepted);
    // A long fraction just below a half must not reach the next register, and
    // one just below the next whole number must not reach past the top.
    EXPECT_EQ(CheckAddress("889.49999999999999999", Rounding::HalfEven, {}).port, 889);
    EXPECT_EQ(CheckAddress("65535.49999999999999999", Rounding::HalfEven, {}).port, 65535);
    EXPECT_EQ(CheckAddress("888.99999999999999999", Rounding::Floor, {}).port, 888);
    EXPECT_FALSE(CheckAddress("-0.00000000000000000001", Rounding::Floor, {}).accepted);
}

TEST(CheckValue, EmptyBoxHasItsOwnMessage) {
    const ValueInput input = CheckValue("", Rounding::Floor, {});
    EXPECT_FALSE(input.accepted);
    EXPECT_EQ(input.refusal, "Input får ej vara tom");
    // Blank is not empty: it is no number.
    EXPECT_EQ(CheckValue(" ", Rounding::Floor, {}).refusal, kInvalidValueMessage);
}

TEST(CheckValue, RefusesNegativeAndNonNumbers) {
    // Negative values would paint a pattern other than the byte written.
    for (const char* text : {"-1", "-127", "-128", "-100000", "-0.5", "abc", "12x", "1.2.3"}) {
        const ValueInput input = CheckValue(text, Rounding::Floor, {});
        EXPECT_FALSE(input.accepted) << text;
        EXPECT_EQ(input.refusal, "Ogiltigt värde: skriv ett tal 0 - 255") << text;
    }
}

TEST(CheckValue, AnythingAboveTheByteBecomes255) {
    for (const char* text : {"256", "300", "40000", "99999999999999999999999", "0x100",
                             "1000000000000000000000000000000000000000.5"}) {
        const ValueInput input = CheckValue(text, Rounding::HalfEven, {});
        EXPECT_TRUE(input.accepted) << text;
        EXPECT_TRUE(input.aboveRange) << text;
        EXPECT_EQ(input.value, 255) << text;
    }
    const ValueInput top = CheckValue("255", Rounding::HalfEven, {});
    EXPECT_EQ(top.value, 255);
    EXPECT_FALSE(top.aboveRange);
}

TEST(CheckValue, RoundingDecidesTheByte) {
    EXPECT_EQ(CheckValue("12.7", Rounding::Floor, {}).value, 12);
    EXPECT_EQ(CheckValue("12,7", Rounding::HalfEven, kComma).value, 13);
    EXPECT_EQ(CheckValue("12.5", Rounding::HalfEven, {}).value, 12);
    EXPECT_EQ(CheckValue("13.5", Rounding::HalfEven, {}).value, 14);
    // 255.5 stays in range rounded down, but rounds to 256 halves-to-even.
    EXPECT_FALSE(CheckValue("255.5", Rounding::Floor, {}).aboveRange);
    EXPECT_TRUE(CheckValue("255.5", Rounding::HalfEven, {}).aboveRange);
    EXPECT_EQ(CheckValue("-0.4", Rounding::HalfEven, {}).value, 0);
    // The byte written is the one typed, however many nines follow.
    EXPECT_EQ(CheckValue("12.99999999999999999", Rounding::Floor, {}).value, 12);
    EXPECT_EQ(CheckValue("12.49999999999999999", Rounding::HalfEven, {}).value, 12);
    EXPECT_FALSE(CheckValue("255.49999999999999999", Rounding::HalfEven, {}).aboveRange);
    EXPECT_FALSE(CheckValue("-0.00000000000000000001", Rounding::Floor, {}).accepted);
}

// Random texts of digits, signs, separators, blanks and hexadecimal, many of
// them numbers near a limit: no accepted address or value may lie outside its
// range or away from the number typed.
TEST(CheckAddress, RandomTextsNeverReachAnotherPort) {
    std::mt19937 random(20261207);
    const std::string alphabet = "0123456789999900.,- +x\tAf";
    const std::string prefixes[] = {"", "6553", "65535.", "4294967", "-", "0x1", "889.4999"};
    for (int round = 0; round < 20000; ++round) {
        std::string text = prefixes[random() % std::size(prefixes)];
        const std::size_t length = random() % 24;
        for (std::size_t i = 0; i < length; ++i)
            text.push_back(alphabet[random() % alphabet.size()]);
        const NumberFormat format{round % 2 == 0 ? "." : ","};
        const std::optional<double> number = ReadNumber(text, format);

        for (const Rounding rounding : {Rounding::HalfEven, Rounding::Floor}) {
            const AddressInput address = CheckAddress(text, rounding, format);
            const ValueInput value = CheckValue(text, rounding, format);
            ASSERT_EQ(address.accepted, address.refusal.empty()) << text;
            ASSERT_EQ(value.accepted, value.refusal.empty()) << text;
            if (!number) {
                ASSERT_FALSE(address.accepted) << text;
                ASSERT_FALSE(value.accepted) << text;
                continue;
            }
            // The nearest double may sit a hair off the digits typed.
            const double slack = 1e-9 * std::max(1.0, std::fabs(*number));
            const double low = rounding == Rounding::Floor ? 0.0 : -0.5;
            const double high = rounding == Rounding::Floor ? 1.0 : 0.5;
            if (address.accepted) {
                ASSERT_GE(*number - address.port, low - slack) << text;
                ASSERT_LE(*number - address.port, high + slack) << text;
            } else {
                ASSERT_TRUE(*number < low + slack || *number > 65535 + high - slack) << text;
            }
            if (value.accepted && !value.aboveRange) {
                ASSERT_GE(*number - value.value, low - slack) << text;
                ASSERT_LE(*number - value.value, high + slack) << text;
            }
            if (value.aboveRange) {
                ASSERT_GT(*number, 255 + high - slack) << text;
            }
            if (!value.accepted) {
                ASSERT_LT(*number, low + slack) << text;
            }
        }
    }
}
