// How the settings store tells others of a change: the notice to the
// configuration host (host window, sheet child, page child), the system
// broadcast on apply, and the hot-corner providers Sage.DLL and Cornix.dll
// (the stand-ins installed in the system directory, which count their calls
// and answer from the registry).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/general_dialog.h"
#include "dusklit.h"
#include "standins/standin_registry.h"
#include "tests/support/prefs.h"
#include "tests/support/registry_scope.h"
#include "tests/support/standins.h"
#include "tests/support/trace_capture.h"

namespace {

const LRESULT HostAnswer = 0x5A5A;

// What the host and the listening top-level window saw.
struct Seen {
    int notices = 0;
    HWND sheet = nullptr;
    LONG code = 0;
    WPARAM wParam = 1;
    ScrGeneralSettings block = {};
    int iniChanges = 0;
    WPARAM iniWParam = 1;
    std::string iniSection;
    int wideIniChanges = 0;
    std::wstring wideIniSection;
    // What ScrChangedSettings made of the notice's block during the send,
    // for its code and for another kind of data.
    const void *data = nullptr;
    bool issued = false;
    bool issuedAsOtherKind = true;
};
Seen seen;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == SCRM_SETTINGSCHANGED) {
        // The notice lives only during the send: copy it now.
        const auto *notice = reinterpret_cast<const ScrChangeNotice *>(lParam);
        ++seen.notices;
        seen.wParam = wParam;
        seen.sheet = notice->sheet;
        seen.code = notice->code;
        std::memcpy(&seen.block, notice->data, sizeof seen.block);
        seen.data = notice->data;
        const auto data = reinterpret_cast<LPARAM>(notice->data);
        seen.issued = ScrChangedSettings(static_cast<WPARAM>(notice->code), data) == notice->data;
        seen.issuedAsOtherKind = ScrChangedSettings(SCRCHANGE_LIVE | 2, data) != nullptr;
        return HostAnswer;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WININICHANGE) {
        ++seen.iniChanges;
        seen.iniWParam = wParam;
        seen.iniSection = lParam ? reinterpret_cast<const char *>(lParam) : "(null)";
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK WideListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WININICHANGE) {
        ++seen.wideIniChanges;
        seen.wideIniSection = lParam ? reinterpret_cast<const wchar_t *>(lParam) : L"(null)";
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window of a wide-character class.
HWND MakeWideWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WideListenerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = L"SettingsTestWideListener";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

HWND MakeWindow(const char *className, WNDPROC proc, DWORD style, HWND parent)
{
    WNDCLASSA windowClass = {};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), className, &windowClass)) {
        windowClass.lpfnWndProc = proc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);
    }
    return CreateWindowExA(0, className, className, style, 0, 0, 100, 100, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// The providers start with no state and get it back afterwards.
class ProviderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetPref(&ScrPrefs::Debug, 0); // also starts the library
        ASSERT_TRUE(DeleteKey(STANDIN_SAGE_KEY));
        ASSERT_TRUE(DeleteKey(STANDIN_CORNIX_KEY));
    }

    SavedKey settings_{ScreenSaversKey};
    SavedKey sage_{STANDIN_SAGE_KEY};
    SavedKey cornix_{STANDIN_CORNIX_KEY};
};

// A host window, a sheet inside it and a page inside the sheet, as the
// configuration dialog arranges them; and a top-level window that only
// listens for the system broadcast.
class NotifyChanges : public ProviderTest {
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        seen = Seen();
        host_ = MakeWindow("SettingsTestHost", HostProc, WS_OVERLAPPEDWINDOW, nullptr);
        sheet_ = MakeWindow("SettingsTestChild", DefWindowProcA, WS_CHILD, host_);
        page_ = MakeWindow("SettingsTestChild", DefWindowProcA, WS_CHILD, sheet_);
        listener_ = MakeWindow("SettingsTestListener", ListenerProc, WS_OVERLAPPEDWINDOW, nullptr);
        wideListener_ = MakeWideWindow();
        ASSERT_TRUE(host_ && sheet_ && page_ && listener_ && wideListener_);

        dialog_.corners[0] = 1;
        dialog_.corners[1] = 2;
        dialog_.corners[2] = 0;
        dialog_.corners[3] = 1;
        dialog_.muteSound = 1;
        dialog_.mouseThreshold = 400;
        dialog_.passwordDelay = 300;
        dialog_.allowActiveConfig = 1;
        dialog_.mouseThresholdIndex = 2;
    }
    void TearDown() override
    {
        DestroyWindow(listener_);
        DestroyWindow(wideListener_);
        DestroyWindow(host_);
        SetPref(&ScrPrefs::Debug, 0);
    }

    void ExpectNoticeFor(LONG code)
    {
        EXPECT_EQ(seen.notices, 1);
        EXPECT_EQ(seen.wParam, 0u);
        EXPECT_EQ(seen.sheet, sheet_);
        EXPECT_EQ(seen.code, code);
        EXPECT_EQ(seen.block.size, 24);
        EXPECT_EQ(std::memcmp(seen.block.corners, "\1\2\0\1", 4), 0);
        EXPECT_EQ(seen.block.muteSound, 1);
        EXPECT_EQ(seen.block.mouseThreshold, 400);
        EXPECT_EQ(seen.block.passwordDelay, 300);
        EXPECT_EQ(seen.block.allowActiveConfig, 1);
    }

    GeneralDialog dialog_;
    HWND host_ = nullptr;
    HWND sheet_ = nullptr;
    HWND page_ = nullptr;
    HWND listener_ = nullptr;
    HWND wideListener_ = nullptr;
};

TEST_F(NotifyChanges, LiveChangeTellsTheProvidersAndTheHost)
{
    SetPref(&ScrPrefs::Debug, 1);
    TraceCapture traces;

    EXPECT_EQ(dialog_.NotifyChanges(page_, 0), HostAnswer);
    ExpectNoticeFor(0xD001);
    // The block is the framework's own for the length of the send only.
    EXPECT_TRUE(seen.issued);
    EXPECT_FALSE(seen.issuedAsOtherKind);
    EXPECT_EQ(ScrChangedSettings(SCRCHANGE_GENERAL, reinterpret_cast<LPARAM>(seen.data)), nullptr);
    EXPECT_EQ(ChangedCount(STANDIN_SAGE_KEY), 1u);
    EXPECT_EQ(ChangedCount(STANDIN_CORNIX_KEY), 1u);
    EXPECT_EQ(seen.iniChanges, 0);
    EXPECT_EQ(seen.wideIniChanges, 0);
    EXPECT_TRUE(traces.Contains("Dusklit: GeneralDialog: Sage being notified of corners"));
    EXPECT_FALSE(traces.Contains("system being notified"));

    dialog_.NotifyChanges(page_, 0);
    EXPECT_EQ(seen.notices, 2);
    EXPECT_EQ(ChangedCount(STANDIN_SAGE_KEY), 2u);
    EXPECT_EQ(ChangedCount(STANDIN_CORNIX_KEY), 2u);
}

TEST_F(NotifyChanges, AppliedChangeIsBroadcastInsteadOfToldToProviders)
{
    SetPref(&ScrPrefs::Debug, 1);
    TraceCapture traces;

    EXPECT_EQ(dialog_.NotifyChanges(page_, 1), HostAnswer);
    ExpectNoticeFor(0xE001);
    EXPECT_EQ(seen.iniChanges, 1);
    EXPECT_EQ(seen.iniWParam, 0u);
    EXPECT_EQ(seen.iniSection, "Windows");
    // Windows of either character set read the same section name.
    EXPECT_EQ(seen.wideIniChanges, 1);
    EXPECT_EQ(seen.wideIniSection, L"Windows");
    EXPECT_FALSE(ReadValue(STANDIN_SAGE_KEY, STANDIN_CHANGED_VALUE));
    EXPECT_FALSE(ReadValue(STANDIN_CORNIX_KEY, STANDIN_CHANGED_VALUE));
    EXPECT_TRUE(traces.Contains("Dusklit: GeneralDialog: system being notified of changes"));
    EXPECT_FALSE(traces.Contains("Sage being notified"));
}

TEST_F(NotifyChanges, MissingProvidersStillLeaveTheHostTold)
{
    ComponentsMissing missing({"Sage.DLL", "Cornix.dll"});
    ASSERT_TRUE(missing.Ready());
    EXPECT_EQ(dialog_.NotifyChanges(page_, 0), HostAnswer);
    ExpectNoticeFor(0xD001);
    EXPECT_FALSE(ReadValue(STANDIN_SAGE_KEY, STANDIN_CHANGED_VALUE));
    EXPECT_FALSE(ReadValue(STANDIN_CORNIX_KEY, STANDIN_CHANGED_VALUE));
}

TEST_F(NotifyChanges, APageOutsideAnySheetReachesNoHost)
{
    HWND loose = MakeWindow("SettingsTestChild", DefWindowProcA, WS_OVERLAPPEDWINDOW, nullptr);
    EXPECT_EQ(dialog_.NotifyChanges(loose, 0), 0);
    EXPECT_EQ(dialog_.NotifyChanges(nullptr, 0), 0);
    EXPECT_EQ(seen.notices, 0);
    DestroyWindow(loose);
}

using DetectSystemAgent = ProviderTest;

TEST_F(DetectSystemAgent, CornixHasTheLastWord)
{
    WriteDword(STANDIN_SAGE_KEY, STANDIN_AGENT_VALUE, 1);
    WriteDword(STANDIN_CORNIX_KEY, STANDIN_AGENT_VALUE, 0);
    EXPECT_EQ(GeneralDialog::DetectSystemAgent(), 0);

    WriteDword(STANDIN_SAGE_KEY, STANDIN_AGENT_VALUE, 0);
    WriteDword(STANDIN_CORNIX_KEY, STANDIN_AGENT_VALUE, 7);
    EXPECT_EQ(GeneralDialog::DetectSystemAgent(), 7);

    WriteDword(STANDIN_SAGE_KEY, STANDIN_AGENT_VALUE, 1);
    WriteDword(STANDIN_CORNIX_KEY, STANDIN_AGENT_VALUE, 1);
    EXPECT_EQ(GeneralDialog::DetectSystemAgent(), 1);
    // Asking is not telling.
    EXPECT_FALSE(ReadValue(STANDIN_SAGE_KEY, STANDIN_CHANGED_VALUE));
    EXPECT_FALSE(ReadValue(STANDIN_CORNIX_KEY, STANDIN_CHANGED_VALUE));
}

TEST_F(DetectSystemAgent, EachProviderAnswersAlone)
{
    WriteDword(STANDIN_SAGE_KEY, STANDIN_AGENT_VALUE, 1);
    WriteDword(STANDIN_CORNIX_KEY, STANDIN_AGENT_VALUE, 3);
    {
        ComponentsMissing onlySage({"Cornix.dll"});
        ASSERT_TRUE(onlySage.Ready());
        EXPECT_EQ(GeneralDialog::DetectSystemAgent(), 1);
    }
    {
        ComponentsMissing onlyCornix({"Sage.DLL"});
        ASSERT_TRUE(onlyCornix.Ready());
        EXPECT_EQ(GeneralDialog::DetectSystemAgent(), 3);
    }
}

TEST_F(DetectSystemAgent, WithoutProvidersTheAnswerIsNo)
{
    WriteDword(STANDIN_SAGE_KEY, STANDIN_AGENT_VALUE, 1);
    WriteDword(STANDIN_CORNIX_KEY, STANDIN_AGENT_VALUE, 1);
    ComponentsMissing missing({"Sage.DLL", "Cornix.dll"});
    ASSERT_TRUE(missing.Ready());
    EXPECT_EQ(GeneralDialog::DetectSystemAgent(), 0);
}

} // namespace
