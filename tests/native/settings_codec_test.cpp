// The registry form of the settings as bytes: numbers of any length, the
// index limits and the corner characters.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "config/settings_codec.h"

namespace {

TEST(NumberValue, FourBytesAreReadLowByteFirst)
{
    const std::uint8_t bytes[] = {0x78, 0x56, 0x34, 0x12};
    std::int32_t number = 0;
    ASSERT_TRUE(DecodeNumberValue(bytes, 4, number));
    EXPECT_EQ(number, 0x12345678);

    const std::uint8_t negative[] = {0xFF, 0xFF, 0xFF, 0xFF};
    ASSERT_TRUE(DecodeNumberValue(negative, 4, number));
    EXPECT_EQ(number, -1);

    const std::uint8_t lowest[] = {0x00, 0x00, 0x00, 0x80};
    ASSERT_TRUE(DecodeNumberValue(lowest, 4, number));
    EXPECT_EQ(number, INT32_MIN);
}

TEST(NumberValue, ShortValuesCountTheirMissingBytesAsZero)
{
    const std::uint8_t bytes[] = {0xFF, 0xFF, 0xFF};
    std::int32_t number = 77;
    ASSERT_TRUE(DecodeNumberValue(bytes, 1, number));
    EXPECT_EQ(number, 0xFF);
    ASSERT_TRUE(DecodeNumberValue(bytes, 2, number));
    EXPECT_EQ(number, 0xFFFF);
    ASSERT_TRUE(DecodeNumberValue(bytes, 3, number));
    EXPECT_EQ(number, 0xFFFFFF);
    // An empty value fits the buffer too: all four bytes are missing.
    ASSERT_TRUE(DecodeNumberValue(bytes, 0, number));
    EXPECT_EQ(number, 0);
    number = 5;
    ASSERT_TRUE(DecodeNumberValue(nullptr, 0, number));
    EXPECT_EQ(number, 0);
}

TEST(NumberValue, LongerValuesLeaveTheNumberAlone)
{
    const std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (std::size_t size : {5u, 8u}) {
        std::int32_t number = 1234;
        EXPECT_FALSE(DecodeNumberValue(bytes, size, number)) << size;
        EXPECT_EQ(number, 1234) << size;
    }
    std::int32_t number = 1234;
    EXPECT_FALSE(DecodeNumberValue(nullptr, 3, number));
    EXPECT_EQ(number, 1234);
}

TEST(IndexLimits, CompareAsUnsignedNumbers)
{
    EXPECT_EQ(ClampPasswordDelayIndex(0), 0);
    EXPECT_EQ(ClampPasswordDelayIndex(1), 1);
    EXPECT_EQ(ClampPasswordDelayIndex(2), 1);
    EXPECT_EQ(ClampPasswordDelayIndex(7), 1);
    EXPECT_EQ(ClampPasswordDelayIndex(-1), 1);
    EXPECT_EQ(ClampPasswordDelayIndex(INT32_MIN), 1);
    EXPECT_EQ(ClampPasswordDelayIndex(INT32_MAX), 1);

    for (std::int32_t index = 0; index <= 3; ++index)
        EXPECT_EQ(ClampMouseThresholdIndex(index), index);
    EXPECT_EQ(ClampMouseThresholdIndex(4), 3);
    EXPECT_EQ(ClampMouseThresholdIndex(-1), 3);
    EXPECT_EQ(ClampMouseThresholdIndex(INT32_MIN), 3);
    EXPECT_EQ(ClampMouseThresholdIndex(INT32_MAX), 3);

    // A stored delay of 0x80000000 or more would outlast any saver.
    for (std::int32_t seconds : {0, 1, 60, INT32_MAX})
        EXPECT_EQ(ClampPasswordDelay(seconds), seconds);
    for (std::int32_t seconds : {-1, -60, INT32_MIN})
        EXPECT_EQ(ClampPasswordDelay(seconds), 0) << seconds;
}

TEST(CornerCharacters, OnlyCapitalYAndNHaveMeaning)
{
    EXPECT_EQ(CornerFromCharacter('Y'), CornerNow);
    EXPECT_EQ(CornerFromCharacter('N'), CornerNever);
    for (char other : {'y', 'n', '-', '\0', ' ', '1', '\xFF', 'Z'})
        EXPECT_EQ(CornerFromCharacter(other), CornerDefault) << static_cast<int>(other);

    EXPECT_EQ(CornerCharacter(CornerDefault), '-');
    EXPECT_EQ(CornerCharacter(CornerNow), 'Y');
    EXPECT_EQ(CornerCharacter(CornerNever), 'N');
    EXPECT_EQ(CornerCharacter(3), '-');
    EXPECT_EQ(CornerCharacter(255), '-');
}

TEST(CornersValue, DecodesEachCharacterInCornerOrder)
{
    std::uint8_t corners[4] = {9, 9, 9, 9};
    const char mixed[] = "YN-y";
    ASSERT_TRUE(DecodeCornersValue(reinterpret_cast<const std::uint8_t *>(mixed), 5, corners));
    EXPECT_EQ(corners[0], CornerNow);
    EXPECT_EQ(corners[1], CornerNever);
    EXPECT_EQ(corners[2], CornerDefault);
    EXPECT_EQ(corners[3], CornerDefault);

    // Four characters without the zero still fit.
    const char unterminated[4] = {'N', 'N', 'Y', 'Y'};
    ASSERT_TRUE(DecodeCornersValue(reinterpret_cast<const std::uint8_t *>(unterminated), 4, corners));
    EXPECT_EQ(corners[0], CornerNever);
    EXPECT_EQ(corners[1], CornerNever);
    EXPECT_EQ(corners[2], CornerNow);
    EXPECT_EQ(corners[3], CornerNow);
}

TEST(CornersValue, ShortValuesLeaveTheLastCornersAtDefault)
{
    std::uint8_t corners[4] = {2, 2, 2, 2};
    const char two[] = "YN";
    ASSERT_TRUE(DecodeCornersValue(reinterpret_cast<const std::uint8_t *>(two), 3, corners));
    EXPECT_EQ(corners[0], CornerNow);
    EXPECT_EQ(corners[1], CornerNever);
    EXPECT_EQ(corners[2], CornerDefault);
    EXPECT_EQ(corners[3], CornerDefault);

    // Without its zero: the bytes after the value are not looked at.
    ASSERT_TRUE(DecodeCornersValue(reinterpret_cast<const std::uint8_t *>("NYYY"), 1, corners));
    EXPECT_EQ(corners[0], CornerNever);
    EXPECT_EQ(corners[1], CornerDefault);
    EXPECT_EQ(corners[2], CornerDefault);
    EXPECT_EQ(corners[3], CornerDefault);

    std::uint8_t empty[4] = {1, 1, 1, 1};
    ASSERT_TRUE(DecodeCornersValue(nullptr, 0, empty));
    EXPECT_EQ(std::memcmp(empty, "\0\0\0\0", 4), 0);
}

TEST(CornersValue, LongerValuesLeaveTheCornersAlone)
{
    std::uint8_t corners[4] = {1, 2, 0, 1};
    const char five[] = "NNNNN";
    EXPECT_FALSE(DecodeCornersValue(reinterpret_cast<const std::uint8_t *>(five), 6, corners));
    EXPECT_EQ(corners[0], 1);
    EXPECT_EQ(corners[1], 2);
    EXPECT_EQ(corners[2], 0);
    EXPECT_EQ(corners[3], 1);
}

TEST(CornersValue, EncodesFourCharactersAndAZero)
{
    const std::uint8_t corners[4] = {CornerNow, CornerDefault, CornerNever, CornerDefault};
    char text[CornersValueSize];
    std::memset(text, 'x', sizeof text);
    EncodeCornersValue(corners, text);
    EXPECT_EQ(std::memcmp(text, "Y-N-", 5), 0);

    const std::uint8_t odd[4] = {3, 200, CornerNever, CornerNow};
    EncodeCornersValue(odd, text);
    EXPECT_EQ(std::memcmp(text, "--NY", 5), 0);
}

} // namespace
