// PASSWORD.CPL's VerifyScreenSavePwd and MPR.DLL's PwdChangePasswordA,
// installed in the system directory and loaded from there as the
// framework loads them, with their real modal dialogs answered from a
// second thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "standins/password_store/password_store.h"
#include "standins/standin_registry.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/standins.h"

namespace {

using VerifyProc = BOOL(WINAPI *)(HWND window);
using ChangeProc = DWORD(WINAPI *)(LPCSTR provider, HWND parent, DWORD, DWORD);

template <typename Proc> Proc Export(HMODULE library, const char *name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void *>(GetProcAddress(library, name)));
}

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    return path;
}

class PasswordDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY);
        cpl_ = LoadLibraryA(InstalledComponent("PASSWORD.CPL").c_str());
        ASSERT_NE(nullptr, cpl_);
        mpr_ = LoadLibraryA(InstalledComponent("MPR.DLL").c_str());
        ASSERT_NE(nullptr, mpr_);
        verify_ = Export<VerifyProc>(cpl_, "VerifyScreenSavePwd");
        change_ = Export<ChangeProc>(mpr_, "PwdChangePasswordA");
        ASSERT_NE(nullptr, verify_);
        ASSERT_NE(nullptr, change_);
    }

    void TearDown() override
    {
        if (saver_)
            DestroyWindow(saver_);
        if (cpl_)
            FreeLibrary(cpl_);
        if (mpr_)
            FreeLibrary(mpr_);
        RegDeleteKeyA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY);
    }

    // A topmost full-screen popup, as the running saver's window is.
    HWND Saver()
    {
        if (!saver_)
            saver_ = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "saver", WS_POPUP | WS_VISIBLE, 0, 0,
                                     GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                     nullptr, nullptr);
        return saver_;
    }

    // VerifyScreenSavePwd(Saver()) answered with the typed text and button.
    BOOL Verify(const char *typed, int button)
    {
        HWND saver = Saver();
        DialogAnswerer answerer([&](DialogAnswerer &user) {
            HWND box = user.WaitForDialog(STANDIN_VERIFY_CAPTION, STANDIN_IDC_PASSWORD);
            if (!box)
                return;
            user.Type(box, STANDIN_IDC_PASSWORD, typed);
            user.Press(box, button);
        });
        return verify_(saver);
    }

    // PwdChangePasswordA("SCRSAVE", ...) answered in one go.
    DWORD Change(const char *old, const char *fresh, const char *confirm, int button = IDOK)
    {
        DialogAnswerer answerer([&](DialogAnswerer &user) {
            HWND box = user.WaitForDialog(STANDIN_CHANGE_CAPTION, STANDIN_IDC_OLD_PASSWORD);
            if (!box)
                return;
            user.Type(box, STANDIN_IDC_OLD_PASSWORD, old);
            user.Type(box, STANDIN_IDC_NEW_PASSWORD, fresh);
            user.Type(box, STANDIN_IDC_CONFIRM, confirm);
            user.Press(box, button);
        });
        return change_("SCRSAVE", nullptr, 0, 0);
    }

    HMODULE cpl_ = nullptr;
    HMODULE mpr_ = nullptr;
    VerifyProc verify_ = nullptr;
    ChangeProc change_ = nullptr;
    HWND saver_ = nullptr;
};

TEST_F(PasswordDialogs, AreInstalledInTheSystemDirectory)
{
    std::string directory = SystemDirectory() + "\\";
    EXPECT_EQ(0, lstrcmpiA((directory + "PASSWORD.CPL").c_str(), ModulePath(cpl_).c_str())) << ModulePath(cpl_);
    EXPECT_EQ(0, lstrcmpiA((directory + "MPR.DLL").c_str(), ModulePath(mpr_).c_str())) << ModulePath(mpr_);
    // Wine's own MPR.DLL answers for that path too, unless the process was
    // told to prefer the native one; ours has no network calls.
    EXPECT_EQ(nullptr, GetProcAddress(mpr_, "WNetGetConnectionA"))
        << "the process got Wine's MPR.DLL: it needs WINEDLLOVERRIDES with mpr=n,b";
}

TEST_F(PasswordDialogs, VerifyBoxOpensAboveItsSaverWithTheFocusInTheEdit)
{
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword("Open Sesame"));
    HWND saver = Saver();
    HWND dialog = nullptr, owner = nullptr, active = nullptr, edit = nullptr;
    LONG exStyle = 0, editStyle = 0;
    bool above = false, focused = false, foreground = false;
    BOOL accepted;
    {
        DialogAnswerer answerer([&](DialogAnswerer &user) {
            HWND box = user.WaitForDialog(STANDIN_VERIFY_CAPTION, STANDIN_IDC_PASSWORD);
            if (!box)
                return;
            dialog = box;
            edit = GetDlgItem(box, STANDIN_IDC_PASSWORD);
            focused = user.WaitFor([&] { return user.Focus() == edit; });
            foreground = user.WaitFor([&] { return GetForegroundWindow() == box; });
            owner = GetWindow(box, GW_OWNER);
            active = user.Active();
            exStyle = GetWindowLongA(box, GWL_EXSTYLE);
            editStyle = GetWindowLongA(edit, GWL_STYLE);
            above = DialogAnswerer::IsAbove(box, saver);
            user.Type(box, STANDIN_IDC_PASSWORD, "Open Sesame");
            user.Press(box, IDOK);
        });
        accepted = verify_(saver);
    }
    EXPECT_EQ(TRUE, accepted);
    ASSERT_NE(nullptr, edit) << "no password box";
    EXPECT_EQ(saver, owner);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(above);
    EXPECT_TRUE(focused);
    EXPECT_TRUE(foreground);
    EXPECT_EQ(dialog, active);
    EXPECT_TRUE(editStyle & ES_PASSWORD);
}

TEST_F(PasswordDialogs, VerifyAcceptsOnlyTheStoredPassword)
{
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword("Open Sesame"));
    EXPECT_EQ(TRUE, Verify("Open Sesame", IDOK));
    EXPECT_EQ(FALSE, Verify("open sesame", IDOK));
    EXPECT_EQ(FALSE, Verify("", IDOK));
    // Cancel refuses, whatever was typed.
    EXPECT_EQ(FALSE, Verify("Open Sesame", IDCANCEL));
}

TEST_F(PasswordDialogs, VerifyWithoutAStoredPasswordAcceptsOnlyAnEmptyOne)
{
    EXPECT_EQ(TRUE, Verify("", IDOK));
    EXPECT_EQ(FALSE, Verify("anything", IDOK));
}

TEST_F(PasswordDialogs, ChangeRefusesAWrongOldPasswordAndLetsTheUserRetry)
{
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword("old one"));
    HWND parent = Saver();
    HWND owner = nullptr, messageOwner = nullptr;
    std::string message, oldAfterRefusal = "not read", newAfterRefusal;
    bool focusedOnOld = false;
    DWORD result;
    {
        DialogAnswerer answerer([&](DialogAnswerer &user) {
            HWND box = user.WaitForDialog(STANDIN_CHANGE_CAPTION, STANDIN_IDC_OLD_PASSWORD);
            if (!box)
                return;
            owner = GetWindow(box, GW_OWNER);
            user.Type(box, STANDIN_IDC_OLD_PASSWORD, "wrong one");
            user.Type(box, STANDIN_IDC_NEW_PASSWORD, "new one");
            user.Type(box, STANDIN_IDC_CONFIRM, "new one");
            user.Press(box, IDOK);
            HWND refusal = user.WaitForOwnedBy(box);
            if (!refusal)
                return;
            messageOwner = GetWindow(refusal, GW_OWNER);
            message = DialogAnswerer::MessageText(refusal);
            user.Press(refusal, IDOK);
            user.WaitFor([&] { return !IsWindow(refusal); });
            focusedOnOld = user.WaitFor([&] { return user.Focus() == GetDlgItem(box, STANDIN_IDC_OLD_PASSWORD); });
            oldAfterRefusal = DialogAnswerer::Text(box, STANDIN_IDC_OLD_PASSWORD);
            newAfterRefusal = DialogAnswerer::Text(box, STANDIN_IDC_NEW_PASSWORD);
            user.Type(box, STANDIN_IDC_OLD_PASSWORD, "old one");
            user.Press(box, IDOK);
        });
        result = change_("SCRSAVE", parent, 0, 0);
    }
    EXPECT_EQ(parent, owner);
    EXPECT_NE(nullptr, messageOwner) << "no refusal";
    EXPECT_NE(std::string::npos, message.find("old password")) << message;
    EXPECT_EQ("", oldAfterRefusal);
    EXPECT_EQ("new one", newAfterRefusal);
    EXPECT_TRUE(focusedOnOld);
    EXPECT_EQ(static_cast<DWORD>(NO_ERROR), result);
    EXPECT_TRUE(PasswordMatches("new one"));
    EXPECT_FALSE(PasswordMatches("old one"));
}

TEST_F(PasswordDialogs, ChangeRefusesADifferentConfirmationAndLetsTheUserRetry)
{
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword("old one"));
    std::string message, confirmAfterRefusal = "not read";
    bool focusedOnNew = false;
    DWORD result;
    {
        DialogAnswerer answerer([&](DialogAnswerer &user) {
            HWND box = user.WaitForDialog(STANDIN_CHANGE_CAPTION, STANDIN_IDC_OLD_PASSWORD);
            if (!box)
                return;
            user.Type(box, STANDIN_IDC_OLD_PASSWORD, "old one");
            user.Type(box, STANDIN_IDC_NEW_PASSWORD, "first");
            user.Type(box, STANDIN_IDC_CONFIRM, "frist");
            user.Press(box, IDOK);
            HWND refusal = user.WaitForOwnedBy(box);
            if (!refusal)
                return;
            message = DialogAnswerer::MessageText(refusal);
            user.Press(refusal, IDOK);
            user.WaitFor([&] { return !IsWindow(refusal); });
            focusedOnNew = user.WaitFor([&] { return user.Focus() == GetDlgItem(box, STANDIN_IDC_NEW_PASSWORD); });
            confirmAfterRefusal = DialogAnswerer::Text(box, STANDIN_IDC_CONFIRM);
            user.Type(box, STANDIN_IDC_NEW_PASSWORD, "second");
            user.Type(box, STANDIN_IDC_CONFIRM, "second");
            user.Press(box, IDOK);
        });
        result = change_("SCRSAVE", nullptr, 0, 0);
    }
    EXPECT_NE(std::string::npos, message.find("do not match")) << message;
    EXPECT_EQ("", confirmAfterRefusal);
    EXPECT_TRUE(focusedOnNew);
    EXPECT_EQ(static_cast<DWORD>(NO_ERROR), result);
    EXPECT_TRUE(PasswordMatches("second"));
    EXPECT_FALSE(PasswordMatches("first"));
    EXPECT_FALSE(PasswordMatches("old one"));
}

TEST_F(PasswordDialogs, ChangeCancelledKeepsTheOldPassword)
{
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword("old one"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANCELLED), Change("old one", "new one", "new one", IDCANCEL));
    EXPECT_TRUE(PasswordMatches("old one"));
    EXPECT_FALSE(PasswordMatches("new one"));
}

TEST_F(PasswordDialogs, ChangeServesOnlyTheScreenSaverProvider)
{
    bool sawDialog = false;
    DWORD result;
    {
        DialogAnswerer answerer([&](DialogAnswerer &user) {
            sawDialog = user.WaitForDialog(STANDIN_CHANGE_CAPTION, STANDIN_IDC_OLD_PASSWORD) != nullptr;
        });
        result = change_("NETWORK", nullptr, 0, 0);
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), result);
    EXPECT_FALSE(sawDialog);
    EXPECT_FALSE(PasswordIsSet());
}

TEST_F(PasswordDialogs, AChangedPasswordIsTheOneVerified)
{
    // From no password at all: the old one is empty.
    EXPECT_EQ(static_cast<DWORD>(NO_ERROR), Change("", "fresh", "fresh"));
    EXPECT_EQ(TRUE, Verify("fresh", IDOK));
    EXPECT_EQ(FALSE, Verify("", IDOK));

    EXPECT_EQ(static_cast<DWORD>(NO_ERROR), Change("fresh", "fresher", "fresher"));
    EXPECT_EQ(TRUE, Verify("fresher", IDOK));
    EXPECT_EQ(FALSE, Verify("fresh", IDOK));
}

} // namespace
