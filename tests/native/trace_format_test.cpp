// Trace lines keep their suffix and never overflow their buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "saver/trace_format.h"
#include "saver/utf8_cut.h"

namespace {

TEST(TraceFormat, AppendsTheSuffixes)
{
    char out[TraceBufferSize];
    FormatTrace(out, "abc");
    EXPECT_STREQ(out, "abc___________  \n\r");
    FormatPrefixedTrace(out, "full DefSaverProc", "WM_CREATE");
    EXPECT_STREQ(out, "full DefSaverProc: WM_CREATE_________  \n\r");
    FormatTrace(out, nullptr);
    EXPECT_STREQ(out, "___________  \n\r");
}

// Parameters keep every bit: a 64-bit program's are traced whole, a
// 32-bit one's lParam of -1 as eight digits.
TEST(TraceFormat, ThreadMessagesShowTheirParametersWhole)
{
    char out[96];
    FormatThreadMessage(out, sizeof out, 0x401, 0x123456789ABCull, UINT64_MAX);
    EXPECT_STREQ(out, "Thread message: msg=401 wParam=123456789abc lParam=ffffffffffffffff");
    FormatThreadMessage(out, sizeof out, 0x12, 0, static_cast<std::uint32_t>(-1));
    EXPECT_STREQ(out, "Thread message: msg=12 wParam=0 lParam=ffffffff");
}

TEST(TraceFormat, LongTextsAreCutBeforeTheSuffix)
{
    // Guard bytes after the buffer catch any write past its end.
    char out[TraceBufferSize + 16];
    std::memset(out, 'G', sizeof out);
    const std::string text(500, 'x');

    FormatTrace(out, text.c_str());
    std::string line(out);
    EXPECT_EQ(line.size(), TraceBufferSize - 1);
    EXPECT_EQ(line.substr(line.size() - std::strlen(TraceSuffix)), TraceSuffix);
    EXPECT_EQ(out[TraceBufferSize], 'G');

    FormatPrefixedTrace(out, text.c_str(), "tail");
    line = out;
    EXPECT_EQ(line.size(), TraceBufferSize - 1);
    EXPECT_EQ(line.find("tail"), std::string::npos);
    EXPECT_EQ(line.substr(line.size() - std::strlen(PrefixedTraceSuffix)), PrefixedTraceSuffix);
    EXPECT_EQ(out[TraceBufferSize], 'G');
}

TEST(TraceFormat, TextThatJustFitsIsKeptWhole)
{
    char out[TraceBufferSize];
    const std::string text(TraceBufferSize - 1 - std::strlen(TraceSuffix), 'y');
    FormatTrace(out, text.c_str());
    EXPECT_EQ(std::string(out), text + TraceSuffix);
}

// A cut through a character of two, three or four bytes leaves it out
// whole; text that is not UTF-8 there is cut where asked.
TEST(Utf8Cut, KeepsOnlyWholeCharacters)
{
    const std::string text = "ab\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80z"; // ab, Zhe, zhong, a face, z
    const struct {
        std::size_t limit;
        std::size_t kept;
    } cuts[] = {{0, 0}, {2, 2}, {3, 2}, {4, 4}, {5, 4}, {6, 4}, {7, 7}, {8, 7}, {10, 7}, {11, 11}, {12, 12}, {99, 12}};
    for (const auto &cut : cuts)
        EXPECT_EQ(Utf8PrefixLength(text.data(), text.size(), cut.limit), cut.kept) << "limit " << cut.limit;
    const std::string latin = "caf\xE9 \x80\x80\x80\x80\x80";
    EXPECT_EQ(Utf8PrefixLength(latin.data(), latin.size(), 9), 9u);
}

} // namespace
