// The General page's logic: the delay in its unit, what a typed delay
// means, and the sensitivity entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "config/dialog_font.h"
#include "config/general_logic.h"

namespace {

TEST(ShownDelay, MinutesDropTheRestSecondsShowAsStored)
{
    EXPECT_EQ(ShownDelay(60, DelayUnitSeconds), 60);
    EXPECT_EQ(ShownDelay(90, DelayUnitMinutes), 1);
    EXPECT_EQ(ShownDelay(59, DelayUnitMinutes), 0);
    EXPECT_EQ(ShownDelay(3600, DelayUnitMinutes), 60);
    // Toward zero, as integer division does.
    EXPECT_EQ(ShownDelay(-90, DelayUnitMinutes), -1);
    EXPECT_EQ(ShownDelay(INT32_MIN, DelayUnitMinutes), INT32_MIN / 60);
    // Only 1 means minutes.
    EXPECT_EQ(ShownDelay(90, 2), 90);
    EXPECT_EQ(ShownDelay(90, -1), 90);
}

// What the user may type into the Wait box, read as "%i" reads it.
TEST(TypedDelay, ReadsNumbersInEveryBase)
{
    const struct {
        const char *text;
        std::int32_t seconds;
    } cases[] = {
        {"60", 60},    {"0x1E", 30},    {"0X1e", 30}, {"010", 8},      {"-0", 0},         {"+7", 7},
        {"0", 0},      {"  \t12", 12},  {"12abc", 12}, {"08", 0},      {"0x", 0},         {"0xg", 0},
        {"99 99", 99},  {"\n\v\f\r3", 3}, {"007", 7},
    };
    for (const auto &c : cases) {
        std::int32_t seconds = 1234;
        EXPECT_TRUE(ReadTypedDelay(c.text, DelayUnitSeconds, seconds)) << c.text;
        EXPECT_EQ(seconds, c.seconds) << c.text;
    }
}

TEST(TypedDelay, TextWithoutANumberChangesNothing)
{
    // A negative number would be a delay past any saver's end: it counts
    // as no number, as an empty text does.
    for (const char *text : {"", "abc", " ", "-", "+", "- 5", "x10", "seconds", "\xff\xfe", "--5", "-5", "-1",
                             "-0x10", "-99999999999"}) {
        std::int32_t seconds = 1234;
        EXPECT_FALSE(ReadTypedDelay(text, DelayUnitSeconds, seconds)) << text;
        EXPECT_FALSE(ReadTypedDelay(text, DelayUnitMinutes, seconds)) << text;
        EXPECT_EQ(seconds, 1234) << text;
    }
    std::int32_t seconds = 1234;
    EXPECT_FALSE(ReadTypedDelay(nullptr, DelayUnitSeconds, seconds));
    EXPECT_EQ(seconds, 1234);
}

TEST(TypedDelay, MinutesAreMultipliedBySixty)
{
    std::int32_t seconds = 0;
    ASSERT_TRUE(ReadTypedDelay("60", DelayUnitMinutes, seconds));
    EXPECT_EQ(seconds, 3600);
    ASSERT_TRUE(ReadTypedDelay("0x1E", DelayUnitMinutes, seconds));
    EXPECT_EQ(seconds, 1800);
    // Any other unit reads seconds.
    ASSERT_TRUE(ReadTypedDelay("60", 7, seconds));
    EXPECT_EQ(seconds, 60);
}

// No typed text makes the arithmetic overflow: numbers beyond 32 bits, and
// minutes whose seconds would be, stop at the nearest 32-bit value.
TEST(TypedDelay, HugeNumbersStopAtTheLimits)
{
    std::int32_t seconds = 0;
    ASSERT_TRUE(ReadTypedDelay("2147483647", DelayUnitSeconds, seconds));
    EXPECT_EQ(seconds, INT32_MAX);
    ASSERT_TRUE(ReadTypedDelay("2147483648", DelayUnitSeconds, seconds));
    EXPECT_EQ(seconds, INT32_MAX);
    ASSERT_TRUE(ReadTypedDelay("0xFFFFFFFFFFFFFFFFFFFF", DelayUnitSeconds, seconds));
    EXPECT_EQ(seconds, INT32_MAX);

    ASSERT_TRUE(ReadTypedDelay("35791394", DelayUnitMinutes, seconds));
    EXPECT_EQ(seconds, 35791394 * 60);
    ASSERT_TRUE(ReadTypedDelay("35791395", DelayUnitMinutes, seconds));
    EXPECT_EQ(seconds, INT32_MAX);

    const std::string digits(5000, '9');
    ASSERT_TRUE(ReadTypedDelay(digits.c_str(), DelayUnitMinutes, seconds));
    EXPECT_EQ(seconds, INT32_MAX);
    EXPECT_FALSE(ReadTypedDelay(("-" + digits).c_str(), DelayUnitSeconds, seconds));
    EXPECT_FALSE(ReadTypedDelay("-2147483649", DelayUnitSeconds, seconds));
    EXPECT_EQ(seconds, INT32_MAX);
}

TEST(SensitivityEntry, ListTextEndsAtTheLastComma)
{
    EXPECT_EQ(SensitivityNameLength("High,0"), 4u);
    EXPECT_EQ(SensitivityNameLength("Low, 400"), 3u);
    EXPECT_EQ(SensitivityNameLength("Keyboard only (ignore mouse movement),999999"), 37u);
    EXPECT_EQ(SensitivityNameLength("Slow, steady, 300"), 12u);
    EXPECT_EQ(SensitivityNameLength("No comma at all"), 15u);
    EXPECT_EQ(SensitivityNameLength(",5"), 0u);
    EXPECT_EQ(SensitivityNameLength(""), 0u);
    EXPECT_EQ(SensitivityNameLength(nullptr), 0u);
}

TEST(SensitivityEntry, ThresholdFollowsTheLastComma)
{
    const struct {
        const char *entry;
        std::int32_t threshold;
    } cases[] = {
        {"High,0", 0},           {"Normal,200", 200},         {"Low, 400", 400},
        {"Keyboard only (ignore mouse movement),999999", 999999}, {"Slow, steady, 300", 300},
        {"Odd,0x10", 16},        {"Huge,99999999999", INT32_MAX}, {"Trailing,12 px", 12},
    };
    for (const auto &c : cases) {
        std::int32_t threshold = -7;
        EXPECT_TRUE(ReadSensitivityThreshold(c.entry, threshold)) << c.entry;
        EXPECT_EQ(threshold, c.threshold) << c.entry;
    }
    for (const char *entry : {"No comma", "Empty,", "Word,high", "", static_cast<const char *>(nullptr)}) {
        std::int32_t threshold = -7;
        EXPECT_FALSE(ReadSensitivityThreshold(entry, threshold)) << (entry ? entry : "(null)");
        EXPECT_EQ(threshold, -7);
    }
}

} // namespace

namespace {

// A dialog template in its resource form, one 16-bit word at a time: a
// header (plain or extended), no menu, the given class field, caption "Hi",
// the font fields and face, then one item starting on a 4-byte boundary.
std::vector<unsigned char> Template(bool extended, std::uint32_t style, std::vector<std::uint16_t> classField,
                                    const std::u16string &face)
{
    std::vector<std::uint16_t> words;
    if (extended)
        words = {1, 0xFFFF, 0, 0, 0, 0};
    words.insert(words.end(), {static_cast<std::uint16_t>(style), static_cast<std::uint16_t>(style >> 16)});
    if (!extended)
        words.insert(words.end(), {0, 0});
    words.insert(words.end(), {1, 0, 0, 237, 220, 0});
    words.insert(words.end(), classField.begin(), classField.end());
    words.insert(words.end(), {u'H', u'i', 0, 8});
    if (extended)
        words.insert(words.end(), {400, 0});
    words.insert(words.end(), face.begin(), face.end());
    words.push_back(0);
    if (words.size() % 2)
        words.push_back(0);
    words.insert(words.end(), {0xC0DE, 0xBEEF, 0x1234, 0x5678});
    std::vector<unsigned char> bytes;
    for (std::uint16_t w : words)
        bytes.insert(bytes.end(), {static_cast<unsigned char>(w), static_cast<unsigned char>(w >> 8)});
    return bytes;
}

} // namespace

// The page's template gets a face that grows with the display: the copy
// must be the template that face would have been written into, items and
// all, and anything it cannot read whole is left alone.
TEST(DialogFont, ReplacesTheFaceAndKeepsEveryItem)
{
    const std::uint32_t setFont = 0x40;
    for (const bool extended : {false, true})
        for (const auto &classField : {std::vector<std::uint16_t>{0}, std::vector<std::uint16_t>{0xFFFF, 0x8002},
                                       std::vector<std::uint16_t>{u'P', u'a', u'g', u'e', 0}}) {
            const auto original = Template(extended, setFont, classField, u"MS Sans Serif");
            const auto expected = Template(extended, setFont, classField, u"MS Shell Dlg");
            EXPECT_EQ(WithFontFace(original.data(), original.size(), u"MS Shell Dlg"), expected)
                << (extended ? "extended" : "plain") << ", class field of " << classField.size();
            // Any cut before the items, and a template naming no font.
            const unsigned char ending[] = {'i', 0, 'f', 0, 0, 0}; // "...Serif" and its zero
            const std::size_t faceEnd =
                std::search(original.begin(), original.end(), ending, ending + 6) - original.begin() + 6;
            for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{20}, faceEnd - 1})
                EXPECT_TRUE(WithFontFace(original.data(), cut, u"MS Shell Dlg").empty()) << cut;
            const auto fontless = Template(extended, 0, classField, u"MS Sans Serif");
            EXPECT_TRUE(WithFontFace(fontless.data(), fontless.size(), u"MS Shell Dlg").empty());
        }
    EXPECT_TRUE(WithFontFace(nullptr, 40, u"MS Shell Dlg").empty());
}
