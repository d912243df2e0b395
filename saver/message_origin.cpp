#include "saver/message_origin.h"

#include <initializer_list>
#include <vector>

#include "saver/issued.h"
#include "saver/window_kinds.h"

namespace {

struct SendUnderWay {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool fromElsewhere;

    bool Is(HWND w, UINT m, WPARAM wp, LPARAM lp) const
    {
        return window == w && message == m && wParam == wp && lParam == lp;
    }
};

struct ThreadWatch {
    int watchers = 0;
    HHOOK send = nullptr;
    HHOOK sendReturn = nullptr;
    HHOOK posted = nullptr;
    HHOOK windows = nullptr;
    std::vector<SendUnderWay> sends;
};

thread_local ThreadWatch Watch;

LRESULT CALLBACK OnSend(int code, WPARAM sentByThisThread, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
        Watch.sends.push_back({call->hwnd, call->message, call->wParam, call->lParam, sentByThisThread == 0});
    }
    return CallNextHookEx(nullptr, code, sentByThisThread, lParam);
}

// A send whose start the hook did not see (the watch began inside it) has
// no entry; one that is there ends with everything begun inside it.
LRESULT CALLBACK OnSendReturn(int code, WPARAM sentByThisThread, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto *call = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
        for (std::size_t i = Watch.sends.size(); i-- > 0;) {
            if (Watch.sends[i].Is(call->hwnd, call->message, call->wParam, call->lParam)) {
                Watch.sends.resize(i);
                break;
            }
        }
    }
    return CallNextHookEx(nullptr, code, sentByThisThread, lParam);
}

// The system sends these itself, to the window they are about; posted,
// they are somebody's forgery.
bool NeverPosted(UINT message)
{
    return message == WM_CREATE || message == WM_NCCREATE || message == WM_DESTROY || message == WM_NCDESTROY;
}

LRESULT CALLBACK OnPosted(int code, WPARAM removal, LPARAM lParam)
{
    if (code == HC_ACTION) {
        auto *message = reinterpret_cast<MSG *>(lParam);
        if (message->hwnd && NeverPosted(message->message))
            message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

LRESULT CALLBACK OnWindowChange(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_MINMAX && SaverWindowKindOf(reinterpret_cast<HWND>(wParam)) == SaverWindowKind::FullScreen)
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Install()
{
    const DWORD thread = GetCurrentThreadId();
    Watch.send = SetWindowsHookExA(WH_CALLWNDPROC, OnSend, nullptr, thread);
    Watch.sendReturn = SetWindowsHookExA(WH_CALLWNDPROCRET, OnSendReturn, nullptr, thread);
    Watch.posted = SetWindowsHookExA(WH_GETMESSAGE, OnPosted, nullptr, thread);
    Watch.windows = SetWindowsHookExA(WH_CBT, OnWindowChange, nullptr, thread);
}

void Uninstall()
{
    for (HHOOK *hook : {&Watch.send, &Watch.sendReturn, &Watch.posted, &Watch.windows}) {
        if (*hook)
            UnhookWindowsHookEx(*hook);
        *hook = nullptr;
    }
    Watch.sends.clear();
}

} // namespace

MessageOriginWatch::MessageOriginWatch()
{
    BeginWatchingMessageOrigins();
}

MessageOriginWatch::~MessageOriginWatch()
{
    EndWatchingMessageOrigins();
}

void BeginWatchingMessageOrigins()
{
    if (Watch.watchers++ == 0)
        Install();
}

void EndWatchingMessageOrigins()
{
    if (Watch.watchers > 0 && --Watch.watchers == 0)
        Uninstall();
}

bool SentFromElsewhere(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Watch.send || !Watch.sendReturn)
        return SentByAnotherThread();
    if (Watch.sends.empty() || !Watch.sends.back().Is(window, message, wParam, lParam))
        return false;
    return Watch.sends.back().fromElsewhere;
}
