// Which preview switches name the separate previewer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "saver/previewer_name.h"

namespace {

const char *const Name = "vistell";

TEST(PreviewerName, NamedInAnyCaseWithOrWithoutBlanksAfterTheLetter)
{
    for (const char *text : {"pvistell", "PVistell", "p VISTELL", "l   vIsTeLl", "LVISTELL", "p vistell"})
        EXPECT_TRUE(SwitchNamesPreviewer(text, Name)) << text;
}

TEST(PreviewerName, ABlankEndsTheWord)
{
    EXPECT_TRUE(SwitchNamesPreviewer("p Vistell and more words", Name));
    EXPECT_TRUE(SwitchNamesPreviewer("pvistell 1234", Name));
    EXPECT_FALSE(SwitchNamesPreviewer("p vis tell", Name));

    char word[PreviewerTextSize];
    EXPECT_EQ(PreviewerWordAfterSwitch("p  Vistell extra", word), 7u);
    EXPECT_STREQ(word, "Vistell");
}

TEST(PreviewerName, OtherWordsDoNotNameIt)
{
    for (const char *text : {"p 1234", "p 0x4D2", "p", "", "p   ", "pvistel", "p vistellx", "p:vistell",
                             "p \tvistell", "p\tvistell", "vistell", "p vistell\t"})
        EXPECT_FALSE(SwitchNamesPreviewer(text, Name)) << '"' << text << '"';
    EXPECT_FALSE(SwitchNamesPreviewer(nullptr, Name));
    // No name never matches, not even an empty word.
    EXPECT_FALSE(SwitchNamesPreviewer("p", ""));
    EXPECT_FALSE(SwitchNamesPreviewer("p", nullptr));
}

TEST(PreviewerName, TheWordIsLowerCasedWithTheGivenFunction)
{
    auto leaveAlone = [](char *, std::size_t) {};
    EXPECT_FALSE(SwitchNamesPreviewer("p Vistell", Name, leaveAlone));
    EXPECT_TRUE(SwitchNamesPreviewer("p vistell", Name, leaveAlone));

    char word[] = "ViStElL \xC9!";
    LowerCaseAscii(word, std::strlen(word));
    EXPECT_STREQ(word, "vistell \xC9!");
}

TEST(PreviewerName, OnlyTheFirst99CharactersCount)
{
    // The word's last letter is the 99th character of the text.
    const std::string fits = "p" + std::string(91, ' ') + "vistell";
    ASSERT_EQ(fits.size(), 99u);
    EXPECT_TRUE(SwitchNamesPreviewer(fits.c_str(), Name));
    EXPECT_TRUE(SwitchNamesPreviewer((fits + "xyz").c_str(), Name));
    // One blank more and the word is cut to "vistel".
    const std::string cut = "p" + std::string(92, ' ') + "vistell";
    EXPECT_FALSE(SwitchNamesPreviewer(cut.c_str(), Name));

    // A word longer than the copy is cut at 98 characters, within the buffer.
    const std::string longWord = "p" + std::string(100000, 'v');
    char word[PreviewerTextSize];
    EXPECT_EQ(PreviewerWordAfterSwitch(longWord.c_str(), word), 98u);
    EXPECT_EQ(std::strlen(word), 98u);
    // Nothing but blanks within the copy: an empty word.
    EXPECT_EQ(PreviewerWordAfterSwitch(("p" + std::string(200, ' ') + "vistell").c_str(), word), 0u);
    EXPECT_STREQ(word, "");
}

} // namespace
