// entry_saver.exe: a saver that enters Dusklit through the callback entry
// or the host-window entry, for program_entries.
//
// Environment variables choose what it does:
//
//   DUSKLIT_TEST_ENTRY   "callback" (ScrMainCallback) or "host" (ScrMainHost);
//   DUSKLIT_TEST_ANSWER  how its hooks or its host window answer:
//       "9"   callback: no CreateWindowHook (the framework creates the
//             windows), the other hooks answer SCR_NOT_HANDLED;
//             host: like "0";
//       "0"   every hook and every host request answers 0;
//       "own" callback: CreateWindowHook creates the window itself from the
//             creation structure, titled "<title> (own)"; PropertySheetHook
//             answers 7, AboutHook 6, ChangePasswordHook 5;
//             host: SCRHOST_CREATEFULL and SCRHOST_CREATEPREVIEW create the
//             window the same way, the sheet, About and password requests
//             answer 1; the rest goes to DefHostProc;
//   DUSKLIT_TEST_ABOUT   when set, how AboutHook or the host's SCRHOST_ABOUT
//                        answers instead ("9", "0" or "own");
//   DUSKLIT_TEST_NEVER_PASSWORD  "1": NeverRequirePassword in the preferences;
//   ENTRY_SAVER_MONITORS_KEY  a key under HKEY_CURRENT_USER: the full-screen
//       saver window writes there, at WM_CREATE and at every WM_SIZE, the
//       monitors ScrGetMonitors gives it as the REG_SZ "Monitors", one line
//       per monitor ending in "\n", "left top right bottom primary" in
//       client coordinates with primary 1 or 0, and counts the writes in
//       the REG_DWORD "Updates".
//
// Every hook call and every host request is reported on the debug-output
// channel as a line starting with "entry_saver: ".
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "dusklit.h"

namespace {

enum class Answer { NotHandled, Zero, Own };

Answer answer = Answer::NotHandled;
Answer aboutAnswer = Answer::NotHandled;
HWND hostWindow = nullptr;

std::string Variable(const char *name)
{
    char value[260] = {};
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value)
        return {};
    return value;
}

Answer ParseAnswer(const std::string &text)
{
    return text == "0" ? Answer::Zero : text == "own" ? Answer::Own : Answer::NotHandled;
}

void Report(const char *format, ...)
{
    char text[300];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    char line[340];
    std::snprintf(line, sizeof line, "entry_saver: %s", text);
    OutputDebugStringA(line);
}

void ReportCreation(const char *who, long mode, const CREATESTRUCTA *create)
{
    const auto *params = static_cast<const SaverCreateParams *>(create->lpCreateParams);
    Report("%s mode %ld class %s title %s style 0x%08lX exstyle 0x%08lX size %dx%d parent %s record %ld",
           who, mode, create->lpszClass ? create->lpszClass : "(null)",
           create->lpszName ? create->lpszName : "(null)", static_cast<unsigned long>(create->style),
           static_cast<unsigned long>(create->dwExStyle), create->cx, create->cy,
           create->hwndParent ? "yes" : "none", params ? static_cast<long>(params->mode) : -1L);
}

// Creates the window that the creation structure describes, with the
// title marked as the saver's own.
HWND CreateOwnWindow(const CREATESTRUCTA *create)
{
    std::string title = std::string(create->lpszName ? create->lpszName : "") + " (own)";
    return CreateWindowExA(create->dwExStyle, create->lpszClass, title.c_str(), create->style, create->x,
                           create->y, create->cx, create->cy, create->hwndParent, create->hMenu,
                           create->hInstance, create->lpCreateParams);
}

HWND CALLBACK CreateWindowHook(int mode, CREATESTRUCTA *create)
{
    ReportCreation("create hook", mode, create);
    return answer == Answer::Own ? CreateOwnWindow(create) : nullptr;
}

INT_PTR CALLBACK PropertySheetHook(HWND configHost, PROPSHEETHEADERA *header, LONG notifyOwner)
{
    Report("sheet hook host %s parent-is-host %s pages %u flags 0x%lX notify %ld",
           IsWindow(configHost) ? "window" : "none", header && header->hwndParent == configHost ? "yes" : "no",
           header ? header->nPages : 0u, header ? static_cast<unsigned long>(header->dwFlags) : 0ul,
           static_cast<long>(notifyOwner));
    switch (answer) {
    case Answer::Zero: return 0;
    case Answer::Own: return 7;
    default: return SCR_NOT_HANDLED;
    }
}

INT_PTR CALLBACK AboutHook(HWND owner)
{
    char className[64] = {};
    GetClassNameA(owner, className, sizeof className);
    Report("about hook owner class %s", className);
    switch (aboutAnswer) {
    case Answer::Zero: return 0;
    case Answer::Own: return 6;
    default: return SCR_NOT_HANDLED;
    }
}

INT_PTR CALLBACK ChangePasswordHook(HWND parent)
{
    Report("password hook parent %s", IsWindow(parent) ? "window" : "none");
    switch (answer) {
    case Answer::Zero: return 0;
    case Answer::Own: return 5;
    default: return SCR_NOT_HANDLED;
    }
}

const char *HostRequestName(UINT message)
{
    switch (message) {
    case SCRHOST_CREATECONFIGPREVIEW: return "CREATECONFIGPREVIEW";
    case SCRHOST_CREATESYSPREVIEW: return "CREATESYSPREVIEW";
    case SCRHOST_CREATEPREVIEW: return "CREATEPREVIEW";
    case SCRHOST_CREATEFULL: return "CREATEFULL";
    case SCRHOST_CREATEWINDOW: return "CREATEWINDOW";
    case SCRHOST_PROPERTYSHEET: return "PROPERTYSHEET";
    case SCRHOST_ABOUT: return "ABOUT";
    case SCRHOST_CHANGEPASSWORD: return "CHANGEPASSWORD";
    }
    return nullptr;
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const char *name = HostRequestName(message);
    if (!name)
        return DefHostProc(window, message, wParam, lParam);
    if (message >= SCRHOST_CREATECONFIGPREVIEW && message <= SCRHOST_CREATEWINDOW)
        ReportCreation(name, static_cast<long>(wParam), reinterpret_cast<const CREATESTRUCTA *>(lParam));
    else
        Report("%s wparam %s", name, IsWindow(reinterpret_cast<HWND>(wParam)) ? "window" : "none");
    if (answer == Answer::Own) {
        switch (message) {
        case SCRHOST_CREATEFULL:
        case SCRHOST_CREATEPREVIEW:
            return reinterpret_cast<LRESULT>(CreateOwnWindow(reinterpret_cast<const CREATESTRUCTA *>(lParam)));
        case SCRHOST_PROPERTYSHEET:
        case SCRHOST_CHANGEPASSWORD:
            return 1;
        }
    }
    if (message == SCRHOST_ABOUT && aboutAnswer == Answer::Own)
        return 1;
    return DefHostProc(window, message, wParam, lParam);
}

HWND CreateHostWindow(HINSTANCE instance)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "EntrySaverHost";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "EntrySaverHost", "Entry saver host", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                           nullptr, instance, nullptr);
}

// The monitor list as the saver gets it, for a test to compare with the
// system's. A thread hook sees the full-screen window's messages after its
// procedure, whichever entry and hooks created it.
std::string monitorsKey;
DWORD monitorUpdates = 0;

void WriteMonitors(HWND window)
{
    ScrMonitor found[16];
    const int count = ScrGetMonitors(window, found, 16);
    std::string text;
    for (int i = 0; i < count && i < 16; ++i) {
        char line[80];
        std::snprintf(line, sizeof line, "%ld %ld %ld %ld %d\n", static_cast<long>(found[i].rect.left),
                      static_cast<long>(found[i].rect.top), static_cast<long>(found[i].rect.right),
                      static_cast<long>(found[i].rect.bottom), found[i].primary ? 1 : 0);
        text += line;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, monitorsKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        Report("cannot write monitors to %s", monitorsKey.c_str());
        return;
    }
    ++monitorUpdates;
    RegSetValueExA(key, "Monitors", 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegSetValueExA(key, "Updates", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&monitorUpdates),
                   sizeof monitorUpdates);
    RegCloseKey(key);
}

LRESULT CALLBACK WatchFullWindow(int code, WPARAM wParam, LPARAM lParam)
{
    const auto *sent = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && (sent->message == WM_CREATE || sent->message == WM_SIZE)) {
        char className[64] = {};
        GetClassNameA(sent->hwnd, className, sizeof className);
        const bool fullWindow = std::strcmp(className, "DummyScreenSaverClass") == 0 &&
                                !(GetWindowLongA(sent->hwnd, GWL_STYLE) & WS_CHILD);
        if (fullWindow && !(sent->message == WM_CREATE && sent->lResult == -1))
            WriteMonitors(sent->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    const std::string entry = Variable("DUSKLIT_TEST_ENTRY");
    const std::string answerText = Variable("DUSKLIT_TEST_ANSWER");
    answer = ParseAnswer(answerText);
    const std::string aboutText = Variable("DUSKLIT_TEST_ABOUT");
    aboutAnswer = aboutText.empty() ? answer : ParseAnswer(aboutText);

    if (Variable("DUSKLIT_TEST_NEVER_PASSWORD") == "1") {
        if (ScrPrefs *prefs = ScrGetPrefs()) {
            prefs->NeverRequirePassword = 1;
            ScrSetPrefs(prefs);
        }
    }

    monitorsKey = Variable("ENTRY_SAVER_MONITORS_KEY");
    HHOOK monitorsHook = nullptr;
    if (!monitorsKey.empty())
        monitorsHook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchFullWindow, nullptr, GetCurrentThreadId());

    int result = 0;
    if (entry == "host") {
        hostWindow = CreateHostWindow(instance);
        if (!hostWindow) {
            Report("no host window");
            return 3;
        }
        Report("start host answer %s", answerText.c_str());
        result = ScrMainHost(instance, hostWindow);
        DestroyWindow(hostWindow);
    } else {
        Report("start callback answer %s", answerText.c_str());
        result = ScrMainCallback(instance, answer == Answer::NotHandled ? nullptr : CreateWindowHook,
                                 PropertySheetHook, AboutHook, ChangePasswordHook);
    }
    if (monitorsHook)
        UnhookWindowsHookEx(monitorsHook);
    Report("end %d", result);
    return result;
}
