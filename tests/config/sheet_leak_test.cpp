// Opening and closing the configuration sheet again and again leaves
// nothing behind: no window, no icon, no menu. Wine does not count a
// process's GDI and USER objects (GetGuiResources answers 0), so each
// object that a sheet brings is followed by its handle instead: the small
// icon the host loads (the large one is shared and stays), the system menu
// that "&About" goes into, and the host and sheet windows. The host's
// other parts (settings, pages, header) live on its stack.
#include <gtest/gtest.h>

#include <vector>

#include "config/config_dialog.h"
#include "tests/config/sheet_harness.h"

namespace {

// Under emulation every sheet costs seconds, so 20 rounds rather than a
// hundred. Each round makes the same objects, so a leak shows from the
// first round on, and every handle a round made is checked one by one.
constexpr int Rounds = 20;

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int *>(count);
    return TRUE;
}

int ThreadWindowCount()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

bool IconAlive(HICON icon)
{
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

class SheetLeaks : public SheetTest {};

TEST_F(SheetLeaks, RepeatedSheetsLeaveNothingBehind)
{
    const int windowsBefore = ThreadWindowCount();

    std::vector<HICON> icons;
    std::vector<HMENU> menus;
    int rounds = 0;
    {
        DialogAnswerer answerer([&](DialogAnswerer &user) {
            for (int i = 0; i < Rounds; ++i) {
                HWND sheet = user.WaitForDialog(SheetCaption, IDOK);
                if (!sheet)
                    return;
                icons.push_back(reinterpret_cast<HICON>(SendMessageA(sheet, WM_GETICON, ICON_SMALL, 0)));
                menus.push_back(GetSystemMenu(sheet, FALSE));
                user.Press(sheet, IDCANCEL);
                user.WaitFor([&] { return !IsWindow(sheet); });
            }
        });
        for (; rounds < Rounds; ++rounds)
            DoConfigDialog(owner_, FALSE);
    }

    ASSERT_EQ(icons.size(), static_cast<size_t>(Rounds));
    for (int i = 0; i < Rounds; ++i) {
        EXPECT_NE(icons[i], nullptr) << "round " << i;
        EXPECT_FALSE(IconAlive(icons[i])) << "the small icon of round " << i;
        EXPECT_NE(menus[i], nullptr) << "round " << i;
        EXPECT_FALSE(IsMenu(menus[i])) << "the system menu of round " << i;
    }
    EXPECT_EQ(ThreadWindowCount(), windowsBefore);
}

} // namespace
