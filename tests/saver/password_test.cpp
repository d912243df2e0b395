// The password through the system's own components: the desktop setting
// that asks for it, the provider that verifies it before the full-screen
// saver closes, and MPR.DLL's change. The components are the stand-ins,
// installed in the system directory, the only place they are taken from;
// a user answers their dialogs from another thread.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dusklit.h"
#include "saver/def_saver_proc.h"
#include "saver/password.h"
#include "saver/run_state.h"
#include "saver/system_components.h"
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

// While it lives, this process's current directory is the one given.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string &directory)
    {
        GetCurrentDirectoryA(sizeof old_, old_);
        set_ = SetCurrentDirectoryA(directory.c_str()) != FALSE;
    }
    ~CurrentDirectory() { SetCurrentDirectoryA(old_); }
    CurrentDirectory(const CurrentDirectory &) = delete;
    CurrentDirectory &operator=(const CurrentDirectory &) = delete;
    bool Set() const { return set_; }

private:
    char old_[MAX_PATH] = "";
    bool set_ = false;
};

constexpr char SecureSaverValue[] = "ScreenSaverIsSecure";

// Whether check asks, with the desktop value stored as type and bytes (or
// missing) and no delay.
bool AsksWith(const char *value, BOOL (*check)(), std::optional<std::pair<DWORD, std::string>> setting)
{
    std::optional<RegistryValueScope> stored;
    if (setting)
        stored.emplace(DesktopKey, value, setting->first, setting->second);
    else
        stored.emplace(DesktopKey, value, std::nullopt);
    SaverRunState.startTick = GetTickCount();
    SaverRunState.passwordDelay = 0;
    return check() != FALSE;
}

std::pair<DWORD, std::string> Text(const std::string &text)
{
    return {REG_SZ, text + std::string(1, '\0')};
}

TEST(Password, TheDesktopSettingAsksUnlessItClearlySaysNo)
{
    PrefsScope prefs({});
    struct {
        const char *what;
        std::optional<std::pair<DWORD, std::string>> value;
        bool asks;
    } settings[] = {
        {"no value", std::nullopt, false},
        {"the number 0", std::make_pair(DWORD(REG_DWORD), std::string(4, '\0')), false},
        {"the number 1", std::make_pair(DWORD(REG_DWORD), std::string("\1\0\0\0", 4)), true},
        {"the text 0", Text("0"), false},
        {"the text \" 1\"", Text(" 1"), true},
        {"the text 10", Text("10"), true},
        {"the text \"-0 \"", Text("-0 "), false},
        {"an empty text", Text(""), false},
        {"an empty expandable text", std::make_pair(DWORD(REG_EXPAND_SZ), std::string(1, '\0')), false},
        {"the text yes", Text("yes"), true},
        {"the text 1x", Text("1x"), true},
        {"a text of 100 zeros, too long to read", Text(std::string(100, '0')), true},
        {"a text of four digits, too long to read", Text("0000"), true},
        {"a byte of 1", std::make_pair(DWORD(REG_BINARY), std::string("\1", 1)), true},
        {"an empty binary value", std::make_pair(DWORD(REG_BINARY), std::string()), false},
        {"8 zero bytes, too long to read", std::make_pair(DWORD(REG_BINARY), std::string(8, '\0')), true},
        {"8 bytes with a 1, too long to read", std::make_pair(DWORD(REG_BINARY), std::string("\0\0\0\0\0\0\0\1", 8)),
         true},
        {"a list of texts", std::make_pair(DWORD(REG_MULTI_SZ), std::string("0\0\0", 3)), true},
        {"a value of no type", std::make_pair(DWORD(REG_NONE), std::string(1, '\0')), true},
    };
    for (const auto &setting : settings)
        EXPECT_EQ(AsksWith(UsePasswordValue, NeedPassword, setting.value), setting.asks) << setting.what;
    // The system's own lock setting is read alike, where no provider asks.
    ComponentsMissing missing({"PASSWORD.CPL"});
    ASSERT_TRUE(missing.Ready());
    for (const auto &setting : settings)
        EXPECT_EQ(AsksWith(SecureSaverValue, NeedSystemLock, setting.value), setting.asks)
            << "the system lock: " << setting.what;
}

// A secure desktop that no provider guards: past the delay the system
// locks the workstation as the saver closes, before its window goes.
TEST(Password, WithoutAProviderASecureDesktopIsLockedByTheSystem)
{
    PrefsScope prefs({});
    RegistryValueScope secure(DesktopKey, SecureSaverValue, REG_SZ, std::string("1", 2));
    SaverRunState.startTick = GetTickCount();
    SaverRunState.passwordDelay = 60;
    EXPECT_FALSE(NeedSystemLock()) << "within the delay";
    SaverRunState.passwordDelay = 0;
    EXPECT_FALSE(NeedSystemLock()) << "the provider asks for the password instead";

    ComponentsMissing missing({"PASSWORD.CPL"});
    ASSERT_TRUE(missing.Ready());
    TraceCapture traces;
    TestSaver saver;
    SendGeneralSettings(saver.Handle(), 0, 0, 0);
    SendMessageA(saver.Handle(), WM_KEYDOWN, 'A', 1);
    Drain();
    EXPECT_FALSE(saver.Alive());
    EXPECT_TRUE(traces.Contains("WM_CLOSE: locking the workstation before the window goes"));
}

TEST(Password, TheProviderDecidesWhetherTheSaverMayClose)
{
    PrefsScope prefs({});
    KnownPassword password("open sesame");
    TraceCapture traces;
    TestSaver saver;
    // As around the close request: the box takes the activation from the
    // saver, which must not close because of it.
    SaverRunState.dialogActive = true;
    EXPECT_EQ(VerifyAnswering(saver.Handle(), Answer("open sesame")), IDOK);
    EXPECT_TRUE(traces.Contains("DoVerifyPwDialog: verifypwd returned TRUE!. Returing IDOK"));
    EXPECT_EQ(VerifyAnswering(saver.Handle(), Answer("open barley")), IDCANCEL);
    EXPECT_TRUE(traces.Contains("DoVerifyPwDialog: verifypwd returned FALSE. Returning IDCANCEL"));
    EXPECT_EQ(VerifyAnswering(saver.Handle(), Answer("open sesame", IDCANCEL)), IDCANCEL);
    // Any program can post the saver's thread WM_QUIT, which ends a modal
    // box as if it were answered: the box goes on, and only the answer counts.
    const DWORD saverThread = GetCurrentThreadId();
    EXPECT_EQ(VerifyAnswering(saver.Handle(), [saverThread](DialogAnswerer &user) {
        HWND box = user.WaitForDialog(STANDIN_VERIFY_CAPTION, STANDIN_IDC_PASSWORD);
        if (!box)
            return;
        PostThreadMessageA(saverThread, WM_QUIT, 1, 0);
        Sleep(500);
        DialogAnswerer::Type(box, STANDIN_IDC_PASSWORD, "open barley");
        DialogAnswerer::Press(box, IDOK);
    }), IDCANCEL);
    const PumpResult after = Drain();
    EXPECT_FALSE(after.quit) << "the quit was nobody's to post";
    SaverRunState.dialogActive = false;
}

TEST(Password, AMissingProviderCountsAsAccepted)
{
    PrefsScope prefs({});
    ComponentsMissing missing({"PASSWORD.CPL"});
    ASSERT_TRUE(missing.Ready());
    TraceCapture traces;
    TestSaver saver;
    EXPECT_EQ(DoVerifyPwDialog(saver.Handle()), IDOK);
    EXPECT_TRUE(traces.Contains("DoVerifyPwDialog: unable to load pwdprovider library. Aborting"));
}

TEST(Password, AWrongPasswordKeepsTheSaverRunningAndTheRightOneClosesIt)
{
    PrefsScope prefs({});
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

// An MPR.DLL planted beside the program (searched before the system
// directory) and in the current directory is never loaded: the installed
// one takes the request.
TEST(Password, ChangingHandsTheRequestToTheInstalledMpr)
{
    PrefsScope prefs({});
    KnownPassword password("old one");
    PlantedDirectory besideProgram(ProgramDirectory());
    PlantedDirectory working;
    ASSERT_TRUE(besideProgram.Plant("mpr.dll"));
    ASSERT_TRUE(working.Plant("mpr.dll"));
    CurrentDirectory current(working.Path());
    ASSERT_TRUE(current.Set());
    INT_PTR result;
    {
        DialogAnswerer user(ChangeTo("old one", "new one"));
        result = ScrChangePassword(nullptr);
    }
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(PasswordMatches("new one"));
    EXPECT_FALSE(PasswordMatches("old one"));
    EXPECT_EQ(besideProgram.Loaded(), std::vector<std::string>{});
    EXPECT_EQ(working.Loaded(), std::vector<std::string>{});
}

// Only plain file names are taken, and only from the system directory.
TEST(SystemComponents, ComeFromTheSystemDirectoryByPlainName)
{
    char path[MAX_PATH];
    ASSERT_TRUE(SystemComponentPath("PASSWORD.CPL", path));
    EXPECT_EQ(std::string(path), InstalledComponent("PASSWORD.CPL"));

    HMODULE provider = LoadSystemComponent("PASSWORD.CPL");
    ASSERT_TRUE(provider);
    char loaded[MAX_PATH] = "";
    GetModuleFileNameA(provider, loaded, sizeof loaded);
    FreeLibrary(provider);
    EXPECT_EQ(lstrcmpiA(loaded, InstalledComponent("PASSWORD.CPL").c_str()), 0) << loaded;

    const std::string tooLong(MAX_PATH, 'x');
    for (const char *name : {"", "..\\system32\\PASSWORD.CPL", "sub/PASSWORD.CPL", "C:PASSWORD.CPL",
                             "\\\\server\\share\\PASSWORD.CPL", tooLong.c_str()}) {
        path[0] = 'x';
        EXPECT_FALSE(SystemComponentPath(name, path)) << name;
        EXPECT_EQ(path[0], '\0') << name;
        EXPECT_EQ(LoadSystemComponent(name), nullptr) << name;
    }
    EXPECT_FALSE(SystemComponentPath(nullptr, path));
}

// ScrSecureDllSearch (which brix.scr calls first thing in WinMain) takes
// the current directory out of the library search for the rest of the
// process: a library that was found there before is not after. Every
// entry does the same.
TEST(SystemComponents, TheCurrentDirectoryLeavesTheLibrarySearch)
{
    SetDllDirectoryA(nullptr); // the system's default search, as at the start
    PlantedDirectory working;
    ASSERT_TRUE(working.Plant("dusklit-probe-before.dll"));
    ASSERT_TRUE(working.Plant("dusklit-probe-after.dll"));
    CurrentDirectory current(working.Path());
    ASSERT_TRUE(current.Set());

    HMODULE before = LoadLibraryA("dusklit-probe-before.dll");
    EXPECT_TRUE(before) << "the current directory is searched before any entry";
    if (before)
        FreeLibrary(before);

    ScrSecureDllSearch();
    EXPECT_EQ(LoadLibraryA("dusklit-probe-after.dll"), nullptr);
    const std::vector<std::string> loaded = working.Loaded();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_NE(loaded[0].find("dusklit-probe-before.dll"), std::string::npos) << loaded[0];

    harness::PrefsScope prefs({});
    TraceCapture traces;
    const auto ownLine = CommandLineSource;
    CommandLineSource = [] { return "\"saver.scr\" /x"; };
    EXPECT_EQ(ScrMainCallback(GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr), 2);
    CommandLineSource = ownLine;
    EXPECT_TRUE(traces.Contains("libraries are no longer looked for in the current directory"));
    SetDllDirectoryA(nullptr);
}

// Run in a process where MPR.DLL cannot be loaded at all.
TEST(WithoutMpr, ChangingFailsWithTwoAndShowsNothing)
{
    PrefsScope prefs({});
    ASSERT_EQ(LoadLibraryA("MPR.DLL"), nullptr) << "this test needs a process without MPR.DLL";
    EXPECT_EQ(ScrChangePassword(nullptr), 2);
}

} // namespace
