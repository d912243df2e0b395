#include "message_boxes.h"

#include <algorithm>

namespace {

MessageBoxAnswerer *Current = nullptr; // one answerer per test at a time
constexpr int MessageTextId = 0xFFFF;  // the static that holds a box's text
constexpr UINT WatchdogPeriod = 250;   // ms
constexpr DWORD BoxTimeLimit = 5000;   // ms a box may stay open

bool IsDialogBox(HWND window)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0;
}

std::string WindowText(HWND window)
{
    char text[512] = {};
    if (window)
        GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM result)
{
    char name[16] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HICON *>(result) =
            reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

ShownMessageBox Describe(HWND box)
{
    ShownMessageBox shown;
    shown.caption = WindowText(box);
    shown.text = WindowText(GetDlgItem(box, MessageTextId));
    shown.hasOwner = GetWindow(box, GW_OWNER) != nullptr;
    shown.hasOk = GetDlgItem(box, IDOK) != nullptr;
    shown.hasYes = GetDlgItem(box, IDYES) != nullptr;
    shown.hasNo = GetDlgItem(box, IDNO) != nullptr;
    shown.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&shown.icon));
    return shown;
}

struct OpenBoxes {
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBoxes(HWND window, LPARAM result)
{
    if (IsDialogBox(window) && IsWindowVisible(window))
        reinterpret_cast<OpenBoxes *>(result)->boxes.push_back(window);
    return TRUE;
}

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers) : answers_(std::move(answers))
{
    Current = this;
    hook_ = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    timer_ = SetTimer(nullptr, 0, WatchdogPeriod, Watchdog);
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    if (timer_)
        KillTimer(nullptr, timer_);
    if (hook_)
        UnhookWindowsHookEx(hook_);
    Current = nullptr;
}

void MessageBoxAnswerer::Answer(HWND box)
{
    if (std::find(answered_.begin(), answered_.end(), box) != answered_.end())
        return;
    answered_.push_back(box);
    answeredAt_.push_back(GetTickCount());
    boxes_.push_back(Describe(box));
    const ShownMessageBox &shown = boxes_.back();
    if (onShow_)
        onShow_(shown, onShowContext_);
    const size_t index = boxes_.size() - 1;
    int answer = index < answers_.size() ? answers_[index] : (shown.hasOk ? IDOK : IDNO);
    // Posted: the box's own modal loop takes it as a click on that button.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
}

LRESULT CALLBACK MessageBoxAnswerer::CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    // Activation comes once the box has its text and buttons.
    if (code == HCBT_ACTIVATE && Current && IsDialogBox(reinterpret_cast<HWND>(wParam)))
        Current->Answer(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK MessageBoxAnswerer::Watchdog(HWND, UINT, UINT_PTR, DWORD)
{
    if (!Current)
        return;
    OpenBoxes open;
    EnumThreadWindows(GetCurrentThreadId(), CollectBoxes, reinterpret_cast<LPARAM>(&open));
    for (HWND box : open.boxes) {
        // A box the hook did not see is answered now.
        Current->Answer(box);
        const size_t index =
            std::find(Current->answered_.begin(), Current->answered_.end(), box) - Current->answered_.begin();
        if (GetTickCount() - Current->answeredAt_[index] > BoxTimeLimit) {
            Current->timedOut_ = true;
            EndDialog(box, IDCANCEL);
        }
    }
}

HICON ExclamationIcon() { return LoadIconA(nullptr, IDI_EXCLAMATION); }
HICON StopIcon() { return LoadIconA(nullptr, IDI_HAND); }
HICON InformationIcon() { return LoadIconA(nullptr, IDI_ASTERISK); }
