// Where the loadable library must lie, and what start-up says and does
// when it lies elsewhere.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dusklit.h"
#include "library/install_check.h"
#include "library/library.h"
#include "monitor/monitor_resources.h"
#include "tests/support/boxes_shown.h"

namespace {

const char WrongInstallText[] =
    "Dusklit has been incorrectly installed.\r\nIt must be placed in the windows directory";

TEST(InstallPath, MatchesTheWindowsDirectoryWhateverTheDriveAndCase)
{
    struct {
        const char *file, *directory;
        bool matches;
    } cases[] = {
        {"C:\\windows\\dusklit.dll", "C:\\windows", true},     // backslash added
        {"C:\\windows\\dusklit.dll", "C:\\windows\\", true},   // not doubled
        {"D:\\WINDOWS\\Dusklit.DLL", "c:\\Windows", true},     // drive and case
        {"C:\\windows\\\\dusklit.dll", "C:\\windows\\", false},
        {"C:\\windowsdusklit.dll", "C:\\windows", false},
        {"C:\\windows\\system\\dusklit.dll", "C:\\windows", false},
        {"C:\\windows\\brix.scr", "C:\\windows", false},
        {"Z:\\windows\\dusklit.dll.bak", "C:\\windows", false},
    };
    for (const auto &c : cases) {
        char expected[InstallPathSize];
        EXPECT_EQ(c.matches, InstallPathMatches(c.file, c.directory, expected))
            << c.file << " in " << c.directory;
    }
    char expected[InstallPathSize];
    InstallPathMatches("", "c:\\Windows", expected);
    EXPECT_STREQ("  \\WINDOWS\\DUSKLIT.DLL", expected);
}

TEST(InstallPath, OddInputsStayInsideTheBuffer)
{
    char expected[InstallPathSize];
    EXPECT_FALSE(InstallPathMatches(nullptr, nullptr, expected));
    EXPECT_STREQ("  USKLIT.DLL", expected); // "\dusklit.dll" with two characters blanked
    EXPECT_FALSE(InstallPathMatches("C", "C:\\windows", expected));

    std::string longDirectory = "C:\\" + std::string(600, 'a');
    EXPECT_FALSE(InstallPathMatches("C:\\dusklit.dll", longDirectory.c_str(), expected));
    EXPECT_EQ(static_cast<size_t>(InstallPathSize - 1), std::strlen(expected));
}

TEST(InstallPath, MessageNamesTheExpectedPathInLowerCase)
{
    char expected[InstallPathSize];
    char text[InstallMessageSize];
    InstallPathMatches("Z:\\work\\dusklit.dll", "C:\\Windows", expected);
    FormatInstallMessage(GetModuleHandleA(nullptr), expected, text);
    EXPECT_EQ(std::string(WrongInstallText) + "\r\n  \\windows\\dusklit.dll", text);

    // A module without the framework's texts gets the fixed wording.
    HINSTANCE bare = GetModuleHandleA("version.dll");
    char probe[100];
    ASSERT_EQ(0, LoadStringA(bare, 56, probe, sizeof probe));
    InstallPathMatches("", "C:\\Windows", expected);
    FormatInstallMessage(bare, expected, text);
    EXPECT_STREQ("Wrong install directory. Put it in the windows directory\r\n"
                 "  \\windows\\dusklit.dll",
                 text);
}

// Loaded as a library from the wrong place, start-up says so and refuses.
// (This program is not in the Windows directory.)
TEST(InstallPath, LoadableLibraryOutsideTheWindowsDirectoryIsRefused)
{
    LoadedAsLibrary = TRUE;
    ScrLibraryInstance = GetModuleHandleA(nullptr);
    char directory[InstallPathSize] = {};
    GetWindowsDirectoryA(directory, InstallPathSize - 1);
    std::string path = std::string("  ") + (directory + 2) + "\\dusklit.dll";
    CharLowerBuffA(&path[0], static_cast<DWORD>(path.size()));

    BoxesShown boxes;
    EXPECT_EQ(FALSE, ScrLibraryStartup());
    ASSERT_EQ(1, boxes.Count());
    EXPECT_EQ("Dusklit", boxes.List()[0].first);
    EXPECT_EQ(std::string(WrongInstallText) + "\r\n" + path, boxes.List()[0].second);

    // Nothing was made, yet the library counts as started.
    EXPECT_TRUE(LibraryStarted);
    EXPECT_EQ(nullptr, MonitorPicture);
    EXPECT_EQ(nullptr, CornerMenus[0]);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    EXPECT_EQ(0, GetClassInfoExA(ScrLibraryInstance, DUSKLIT_MONITOR_CLASS, &wc));
}

} // namespace
