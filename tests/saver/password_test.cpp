// The password through the system's own components: the provider that
// verifies it before the full-screen saver closes, and MPR.DLL's change.
// The components are the ones built beside the tests; a user answers
// their dialogs from another thread.
#include <gtest/gtest.h>

#include <string>

#include "saver/def_saver_proc.h"
#include "saver/password.h"
#include "standins/password_store/password_store.h"
#include "standins/standin_registry.h"
#include "tests/saver/saver_harness.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/standins.h"
#include "tests/support/trace_capture.h"

using namespace harness;

namespace {

// Stores a known password for one test and forgets it afterwards.
class KnownPassword {
public:
    explicit KnownPassword(const char *password) { EXPECT_EQ(StorePassword(password), DWORD(ERROR_SUCCESS)); }
    ~KnownPassword() { RegDeleteKeyA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY); }
};

// Types password into the provider's dialog and presses OK (or Cancel).
DialogAnswerer::Script Answer(const char *password, int button = IDOK)
{
    return [password, button](DialogAnswerer &user) {
        HWND box = user.WaitForDialog(STANDIN_VERIFY_CAPTION, STANDIN_IDC_PASSWORD);
        if (!box)
            return;
        DialogAnswerer::Type(box, STANDIN_IDC_PASSWORD, password);
        DialogAnswerer::Press(box, button);
    };
}

int VerifyAnswering(HWND saver, DialogAnswerer::Script script)
{
    DialogAnswerer user(std::move(script));
    return DoVerifyPwDialog(saver);
}

TEST(Password, TheProviderDecidesWhetherTheSaverMayClose)
{
    PrefsScope prefs({});
    StandinsOnSearchPath standins;
    KnownPassword password("open sesame");
    TraceCapture traces;
    TestSaver saver;
    // As around the close request: the box takes the activation from the
    // saver, which must not close because of it.
    SendMessageA(saver.Handle(), SCRM_DIALOGACTIVE, 1, 0);
    EXPECT_EQ(VerifyAnswering(saver.Handle(), Answer("open sesame")), IDOK);
    EXPECT_TRUE(traces.Contains("DoVerifyPwDialog: verifypwd returned TRUE!. Returing IDOK"));
    EXPECT_EQ(VerifyAnswering(saver.Handle(), Answer("open barley")), IDCANCEL);
    EXPECT_TRUE(traces.Contains("DoVerifyPwDialog: verifypwd returned FALSE. Returning IDCANCEL"));
    EXPECT_EQ(VerifyAnswering(saver.Handle(), Answer("open sesame", IDCANCEL)), IDCANCEL);
}

TEST(Password, AMissingProviderCountsAsAccepted)
{
    PrefsScope prefs({});
    StandinsOnSearchPath missing(false);
    TraceCapture traces;
    TestSaver saver;
    EXPECT_EQ(DoVerifyPwDialog(saver.Handle()), IDOK);
    EXPECT_TRUE(traces.Contains("DoVerifyPwDialog: unable to load pwdprovider library. Aborting"));
}

TEST(Password, AWrongPasswordKeepsTheSaverRunningAndTheRightOneClosesIt)
{
    PrefsScope prefs({});
    StandinsOnSearchPath standins;
    KnownPassword password("letmein");
    RegistryValueScope usePassword(DesktopKey, UsePasswordValue, 1);
    TestSaver saver;
    SendGeneralSettings(saver.Handle(), 0, 0, 0);
    {
        DialogAnswerer user(Answer("let me in"));
        SendMessageA(saver.Handle(), WM_KEYDOWN, 'A', 1);
        Drain();
    }
    EXPECT_TRUE(saver.Alive());
    EXPECT_FALSE(SaverRunState.dialogActive);
    {
        DialogAnswerer user(Answer("letmein"));
        SendMessageA(saver.Handle(), WM_KEYDOWN, 'A', 1);
        Drain();
    }
    EXPECT_FALSE(saver.Alive());
}

// The change dialog of MPR.DLL: the current password, the new one twice.
DialogAnswerer::Script ChangeTo(const char *oldPassword, const char *newPassword)
{
    return [oldPassword, newPassword](DialogAnswerer &user) {
        HWND box = user.WaitForDialog(STANDIN_CHANGE_CAPTION, STANDIN_IDC_NEW_PASSWORD);
        if (!box)
            return;
        DialogAnswerer::Type(box, STANDIN_IDC_OLD_PASSWORD, oldPassword);
        DialogAnswerer::Type(box, STANDIN_IDC_NEW_PASSWORD, newPassword);
        DialogAnswerer::Type(box, STANDIN_IDC_CONFIRM, newPassword);
        DialogAnswerer::Press(box, IDOK);
    };
}

TEST(Password, ChangingHandsTheRequestToMpr)
{
    PrefsScope prefs({});
    StandinsOnSearchPath standins;
    KnownPassword password("old one");
    INT_PTR result;
    {
        DialogAnswerer user(ChangeTo("old one", "new one"));
        result = ScrChangePassword(nullptr);
    }
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(PasswordMatches("new one"));
    EXPECT_FALSE(PasswordMatches("old one"));
}

// Run in a process where MPR.DLL cannot be loaded at all.
TEST(WithoutMpr, ChangingFailsWithTwoAndShowsNothing)
{
    PrefsScope prefs({});
    ASSERT_EQ(LoadLibraryA("MPR.DLL"), nullptr) << "this test needs a process without MPR.DLL";
    EXPECT_EQ(ScrChangePassword(nullptr), 2);
}

} // namespace
