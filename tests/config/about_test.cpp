// The About box: the version in its group caption, how each way of
// closing it ends it, the saver's own About box, and the version text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/config_dialog.h"
#include "resource_ids.h"
#include "saver/run_state.h"
#include "tests/config/sheet_harness.h"
#include "tests/config/test_saver_ids.h"

namespace {

// How a user ends the box.
enum class Ending { OkButton, Enter, Escape, CloseBox };

struct AboutRun {
    INT_PTR result = -1;
    std::string caption, group;
    HWND owner = nullptr;
};

class AboutBox : public SheetTest {
protected:
    // Opens the About box as the own-class runner does for an owner, reads
    // it, and ends it the given way.
    AboutRun Run(const char *caption, Ending ending)
    {
        AboutRun run;
        DialogAnswerer answerer([&](DialogAnswerer &user) {
            HWND about = user.WaitForDialog(caption, IDC_ABOUT_GROUP);
            if (!about)
                return;
            run.caption = WindowText(about);
            run.group = WindowText(GetDlgItem(about, IDC_ABOUT_GROUP));
            run.owner = GetWindow(about, GW_OWNER);
            End(user, about, ending);
        });
        run.result = OwnClassExecuteAboutDialog(owner_);
        return run;
    }

    static void End(DialogAnswerer &user, HWND about, Ending ending)
    {
        switch (ending) {
        case Ending::OkButton:
            PostMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
            break;
        case Ending::Enter:
        case Ending::Escape: {
            // Keys go where the focus is; the dialog's loop turns them into
            // the default button's command or IDCANCEL.
            const WPARAM key = ending == Ending::Enter ? VK_RETURN : VK_ESCAPE;
            user.WaitFor([&] { return user.Focus() != nullptr; });
            PostMessageA(user.Focus(), WM_KEYDOWN, key, 1);
            PostMessageA(user.Focus(), WM_KEYUP, key, 0xC0000001);
            break;
        }
        case Ending::CloseBox:
            PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
    }
};

TEST_F(AboutBox, LibraryBoxShowsTheVersionAndEndsWithOneOrTwo)
{
    AboutRun ok = Run("About Dusklit", Ending::OkButton);
    EXPECT_EQ(ok.group, "Dusklit v1.5s");
    EXPECT_EQ(ok.owner, owner_);
    EXPECT_EQ(ok.result, IDOK);

    EXPECT_EQ(Run("About Dusklit", Ending::Enter).result, IDOK);
    EXPECT_EQ(Run("About Dusklit", Ending::CloseBox).result, IDCANCEL);
}

// A saver with an About box of its own (2004) gets it, version included.
TEST_F(AboutBox, SaverBoxReplacesTheLibrarys)
{
    OwnAboutDialog = true;
    AboutRun run = Run(TEST_SAVER_ABOUT_CAPTION, Ending::Escape);
    EXPECT_EQ(run.caption, TEST_SAVER_ABOUT_CAPTION);
    EXPECT_EQ(run.group, std::string(TEST_SAVER_ABOUT_GROUP) + " v1.5s");
    EXPECT_EQ(run.result, IDCANCEL);
}

TEST(VersionText, IsCutToTheBufferAndAlwaysTerminated)
{
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ScrGetVersionText(buffer, 3), 2);
    EXPECT_STREQ(buffer, "1.");
    EXPECT_EQ(buffer[3], 'x') << "nothing written past the maximum length";

    EXPECT_EQ(ScrGetVersionText(buffer, sizeof buffer), 4);
    EXPECT_STREQ(buffer, "1.5s");
    EXPECT_EQ(ScrGetVersionText(buffer, 1), 0);
    EXPECT_STREQ(buffer, "");
    // Without room or without a buffer nothing is written; the length
    // alone is reported for a null buffer.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ScrGetVersionText(buffer, 0), 0);
    EXPECT_EQ(ScrGetVersionText(buffer, -5), 0);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(ScrGetVersionText(nullptr, 10), 4);
}

} // namespace
