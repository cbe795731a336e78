// SPDX-License-Identifier: MIT
#include "lamps/BinaryPattern.h"
#include "RecordingLamps.h"

#include <gtest/gtest.h>

#include <limits>

using namespace portprov;

TEST(BinaryPattern, DigitsWithoutLeadingZeros) {
    EXPECT_EQ(ToBinary(0), "0");
    EXPECT_EQ(ToBinary(1), "1");
    EXPECT_EQ(ToBinary(2), "10");
    EXPECT_EQ(ToBinary(5), "101");
    EXPECT_EQ(ToBinary(128), "10000000");
    EXPECT_EQ(ToBinary(255), "11111111");
    EXPECT_EQ(ToBinary(256), "100000000");
    EXPECT_EQ(ToBinary(std::numeric_limits<std::int32_t>::max()), std::string(31, '1'));
}

TEST(BinaryPattern, NegativeNumbersTakeTheOddnessOfEachRemainder) {
    EXPECT_EQ(ToBinary(-1), "01");
    EXPECT_EQ(ToBinary(-2), "010");
    EXPECT_EQ(ToBinary(-3), "011");
    EXPECT_EQ(ToBinary(-5), "0101");
    EXPECT_EQ(ToBinary(-127), "01111111");
    EXPECT_EQ(ToBinary(-128), "010000000");
    // The smallest 32-bit number halves down to -1 without overflowing.
    EXPECT_EQ(ToBinary(std::numeric_limits<std::int32_t>::min()), "01" + std::string(31, '0'));
}

TEST(BinaryPattern, PaddingToEightPlaces) {
    EXPECT_EQ(PadToEight("0"), "00000000");
    EXPECT_EQ(PadToEight("101"), "00000101");
    EXPECT_EQ(PadToEight("11111111"), "11111111");
    EXPECT_EQ(PadToEight(""), "00000000");
    EXPECT_EQ(PadToEight(ToBinary(-127)), "01111111");
    // Too long to stand for a byte.
    EXPECT_EQ(PadToEight(ToBinary(256)), std::nullopt);
    EXPECT_EQ(PadToEight(ToBinary(-128)), std::nullopt);

    EXPECT_EQ(EightPlacePattern(0), "00000000");
    EXPECT_EQ(EightPlacePattern(1), "00000001");
    EXPECT_EQ(EightPlacePattern(85), "01010101");
    EXPECT_EQ(EightPlacePattern(160), "10100000");
    EXPECT_EQ(EightPlacePattern(255), "11111111");
    // Position i stands for bit 8 - i, for every byte.
    for (int value = 0; value < 256; ++value) {
        const std::string pattern = EightPlacePattern(static_cast<std::uint8_t>(value));
        ASSERT_EQ(pattern.size(), 8u);
        for (int i = 1; i <= 8; ++i)
            EXPECT_EQ(pattern[static_cast<std::size_t>(i - 1)] == '1',
                      ((value >> (8 - i)) & 1) != 0)
                << value << " position " << i;
    }
}

TEST(BinaryPattern, BitLampsAreRedForOneOnly) {
    const auto red = LampColour::Red;
    const auto white = LampColour::White;
    RecordingLamps lamps;
    ShowBitLamps(lamps, "10100000");
    EXPECT_EQ(lamps.bitLamps, (std::map<int, LampColour>{{1, red},
                                                         {2, white},
                                                         {3, red},
                                                         {4, white},
                                                         {5, white},
                                                         {6, white},
                                                         {7, white},
                                                         {8, white}}));
    EXPECT_TRUE(lamps.pinLamps.empty());
    EXPECT_FALSE(lamps.direction.has_value());

    ShowBitLamps(lamps, "00000001");
    EXPECT_EQ(lamps.bitLamps[8], red);
    EXPECT_EQ(lamps.bitLamps[1], white);
    EXPECT_EQ(lamps.bitLamps[3], white);

    // Any character but "1" is white, and so is a missing one.
    RecordingLamps odd;
    ShowBitLamps(odd, "1x 2");
    EXPECT_EQ(odd.bitLamps, (std::map<int, LampColour>{{1, red},
                                                       {2, white},
                                                       {3, white},
                                                       {4, white},
                                                       {5, white},
                                                       {6, white},
                                                       {7, white},
                                                       {8, white}}));
    EXPECT_EQ(odd.changes.size(), 8u);
}
