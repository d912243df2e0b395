#include "tests/support/dialog_answerer.h"

#include <vector>

#include "tests/support/process_windows.h"

namespace {

// Long enough for a dialog to open on a slow, emulated machine; a passing
// wait ends as soon as its condition holds.
constexpr DWORD WaitLimitMs = 60000;
constexpr DWORD PollMs = 20;

GUITHREADINFO ThreadInfo(DWORD thread)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(thread, &info);
    return info;
}

} // namespace

DialogAnswerer::DialogAnswerer(Script script) : answeredThread_(GetCurrentThreadId())
{
    thread_ = std::thread([this, script] { Run(script); });
}

DialogAnswerer::~DialogAnswerer()
{
    returned_ = true;
    SetEvent(returnedEvent_);
    thread_.join();
    CloseHandle(returnedEvent_);
}

void DialogAnswerer::Run(const Script &script)
{
    script(*this);
    while (!returned_) {
        CancelStrayDialogs();
        WaitForSingleObject(returnedEvent_, 100);
    }
}

void DialogAnswerer::CancelStrayDialogs()
{
    for (HWND dialog : ProcessDialogs())
        Press(dialog, IDCANCEL);
}

bool DialogAnswerer::WaitFor(const std::function<bool()> &condition)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (returned_ || GetTickCount() - start > WaitLimitMs)
            return false;
        WaitForSingleObject(returnedEvent_, PollMs);
    }
    return true;
}

HWND DialogAnswerer::WaitForDialog(const char *caption, int editId)
{
    HWND match = nullptr;
    WaitFor([&] {
        for (HWND dialog : ProcessDialogs()) {
            if (WindowText(dialog) == caption && GetDlgItem(dialog, editId)) {
                match = dialog;
                return true;
            }
        }
        return false;
    });
    return match;
}

HWND DialogAnswerer::WaitForOwnedBy(HWND owner)
{
    HWND match = nullptr;
    WaitFor([&] {
        for (HWND dialog : ProcessDialogs()) {
            if (GetWindow(dialog, GW_OWNER) == owner) {
                match = dialog;
                return true;
            }
        }
        return false;
    });
    return match;
}

HWND DialogAnswerer::Focus() const
{
    return ThreadInfo(answeredThread_).hwndFocus;
}

HWND DialogAnswerer::Active() const
{
    return ThreadInfo(answeredThread_).hwndActive;
}

void DialogAnswerer::Type(HWND dialog, int id, const char *text)
{
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

std::string DialogAnswerer::Text(HWND dialog, int id)
{
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void DialogAnswerer::Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string DialogAnswerer::MessageText(HWND box)
{
    // The system gives a message box's text the control id 0xFFFF.
    return Text(box, 0xFFFF);
}

bool DialogAnswerer::IsAbove(HWND upper, HWND lower)
{
    for (HWND next = GetWindow(upper, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT))
        if (next == lower)
            return true;
    return false;
}
