// What the command-line reader selects for the screen-saver switches.
#include <gtest/gtest.h>

#include <cstring>

#include "saver/command_line.h"

namespace {

CommandLineChoice Read(const char *line)
{
    return ReadCommandLine(line);
}

TEST(CommandLine, NothingAfterTheProgramNameConfiguresWithoutParent)
{
    for (const char *line : {"brix.scr", "brix.scr   ", "\"C:\\Program Files\\brix.scr\"", "\"a b\"  "}) {
        CommandLineChoice choice = Read(line);
        EXPECT_EQ(choice.Mode, RunMode::Configuration) << line;
        EXPECT_FALSE(choice.ForegroundParent) << line;
    }
}

TEST(CommandLine, UnusableLinesSelectNothing)
{
    EXPECT_EQ(Read(nullptr).Mode, RunMode::None);
    EXPECT_EQ(Read("\"C:\\never closed /s").Mode, RunMode::None);
    EXPECT_EQ(Read("brix.scr /x").Mode, RunMode::None);
    EXPECT_EQ(Read("brix.scr /1").Mode, RunMode::None);
    EXPECT_EQ(Read("brix.scr /").Mode, RunMode::None);
    EXPECT_EQ(Read("brix.scr -").Mode, RunMode::None);
}

TEST(CommandLine, SaverSwitchSpellings)
{
    for (const char *line : {"brix.scr /s", "brix.scr -s", "brix.scr -/S", "brix.scr S", "brix.scr /sabc 12"})
        EXPECT_EQ(Read(line).Mode, RunMode::Saver) << line;
    // Only one dash and then one slash are skipped, in that order.
    EXPECT_EQ(Read("brix.scr /-s").Mode, RunMode::None);
    EXPECT_EQ(Read("brix.scr --s").Mode, RunMode::None);
}

TEST(CommandLine, ConfigurationSwitchIgnoresWhatFollows)
{
    CommandLineChoice choice = Read("brix.scr /c:1234");
    EXPECT_EQ(choice.Mode, RunMode::Configuration);
    EXPECT_TRUE(choice.ForegroundParent);
    EXPECT_FALSE(choice.HasNumber);
}

TEST(CommandLine, PreviewReadsTheWindowNumberInEveryForm)
{
    for (const char *line : {"brix.scr /p 1234", "brix.scr /p:1234", "brix.scr /P 0x4D2", "brix.scr /l 1234",
                             "brix.scr -p : :1234", "brix.scr /p 02322"}) {
        CommandLineChoice choice = Read(line);
        EXPECT_EQ(choice.Mode, RunMode::Preview) << line;
        EXPECT_TRUE(choice.HasNumber) << line;
        EXPECT_EQ(choice.Number, 1234) << line;
        EXPECT_FALSE(choice.NothingAfterSwitch) << line;
    }
}

// Handles are 32-bit numbers in programs of either width, widened with
// their sign in a 64-bit one: this host's intptr_t is 64 bits wide.
TEST(CommandLine, WindowNumbersBecomeSignExtendedHandles)
{
    const struct {
        std::int64_t number;
        std::intptr_t bits;
    } cases[] = {{0, 0}, {0x10020, 0x10020}, {0x7FFFFFFF, 0x7FFFFFFF}, {0x80000000LL, INT32_MIN},
                 {4294967295LL, -1}, {-1, -1}, {-3, -3}, {4294967293LL, -3}, {INT32_MIN, INT32_MIN}};
    for (const auto &c : cases) {
        std::intptr_t bits = 12345;
        EXPECT_TRUE(WindowHandleBits(c.number, bits)) << c.number;
        EXPECT_EQ(bits, c.bits) << c.number;
    }
    for (std::int64_t outside : {std::int64_t(4294967296LL), std::int64_t(INT32_MIN) - 1, INT64_MAX, INT64_MIN}) {
        std::intptr_t bits = 12345;
        EXPECT_FALSE(WindowHandleBits(outside, bits)) << outside;
        EXPECT_EQ(bits, 12345) << outside;
    }
}

TEST(CommandLine, PreviewHandsThePreviewerTheTextFromTheLetterOn)
{
    const char *line = "brix.scr /pVistell";
    CommandLineChoice choice = Read(line);
    ASSERT_EQ(choice.Mode, RunMode::Preview);
    EXPECT_STREQ(choice.SwitchText, "pVistell");
    EXPECT_FALSE(choice.HasNumber);
}

TEST(CommandLine, PreviewWithoutAUsableNumber)
{
    CommandLineChoice alone = Read("brix.scr /p");
    EXPECT_EQ(alone.Mode, RunMode::Preview);
    EXPECT_TRUE(alone.NothingAfterSwitch);
    EXPECT_TRUE(Read("brix.scr /p ::  ").NothingAfterSwitch);

    CommandLineChoice letters = Read("brix.scr /p abc");
    EXPECT_FALSE(letters.NothingAfterSwitch);
    EXPECT_FALSE(letters.HasNumber);
}

TEST(CommandLine, ChangePasswordWithAndWithoutNumber)
{
    CommandLineChoice alone = Read("brix.scr /a");
    EXPECT_EQ(alone.Mode, RunMode::ChangePassword);
    EXPECT_FALSE(alone.HasNumber);

    CommandLineChoice numbered = Read("brix.scr /A:0x10");
    EXPECT_EQ(numbered.Mode, RunMode::ChangePassword);
    EXPECT_TRUE(numbered.HasNumber);
    EXPECT_EQ(numbered.Number, 16);

    EXPECT_FALSE(Read("brix.scr /a xyz").HasNumber);
}

TEST(CommandLine, TabsAreNotBlanks)
{
    // After a quoted name the tab stands where the switch should be.
    EXPECT_EQ(Read("\"C:\\a b\\brix.scr\"\t/s").Mode, RunMode::None);
    // After an unquoted name the tab and all behind it belong to the name.
    CommandLineChoice choice = Read("brix.scr\t/s");
    EXPECT_EQ(choice.Mode, RunMode::Configuration);
    EXPECT_FALSE(choice.ForegroundParent);
}

TEST(CommandLine, QuotedProgramPathWithBlanksIsSkippedWhole)
{
    EXPECT_EQ(Read("\"C:\\Program Files\\Dusk lit\\brix.scr\" /s").Mode, RunMode::Saver);
    EXPECT_EQ(Read("\"C:\\p q\\brix.scr\"/s").Mode, RunMode::Saver);
}

TEST(ScanfInteger, ReadsLikePercentI)
{
    struct Case {
        const char *text;
        std::int64_t value;
    } cases[] = {{"1234", 1234}, {"  \t-12x", -12}, {"+7", 7},     {"0x4D2", 1234}, {"0X1f", 31},
                 {"010", 8},     {"08", 0},         {"0xg", 0},    {"0", 0},        {"-0x10", -16},
                 {"99999999999999999999999", INT64_MAX}, {"-99999999999999999999999", -INT64_MAX}};
    for (const Case &c : cases) {
        std::int64_t value = -1;
        EXPECT_TRUE(ReadScanfInteger(c.text, &value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    for (const char *text : {"", "abc", "-", "+ 5", "x10", "   "}) {
        std::int64_t value = 42;
        EXPECT_FALSE(ReadScanfInteger(text, &value)) << text;
        EXPECT_EQ(value, 42) << text;
    }
}

} // namespace
