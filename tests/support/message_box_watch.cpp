#include "tests/support/message_box_watch.h"

#include <algorithm>
#include <cstring>

namespace {

std::string TextOf(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsClass(HWND window, const char *name)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    return std::strcmp(className, name) == 0;
}

BOOL CALLBACK CollectBox(HWND window, LPARAM context)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && IsClass(window, "#32770"))
        reinterpret_cast<std::vector<HWND> *>(context)->push_back(window);
    return TRUE;
}

// The message of a box is its longest static text (the icon is a static too).
BOOL CALLBACK FindMessageText(HWND child, LPARAM context)
{
    auto *best = reinterpret_cast<std::string *>(context);
    if (IsClass(child, "Static")) {
        std::string text = TextOf(child);
        if (text.size() > best->size())
            *best = text;
    }
    return TRUE;
}

} // namespace

MessageBoxWatch::MessageBoxWatch(int answer) : answer_(answer), thread_([this] { Watch(); }) {}

MessageBoxWatch::~MessageBoxWatch()
{
    stop_ = true;
    thread_.join();
}

int MessageBoxWatch::Count() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<int>(seen_.size());
}

std::vector<SeenMessageBox> MessageBoxWatch::Seen() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return seen_;
}

void MessageBoxWatch::Watch()
{
    while (!stop_) {
        std::vector<HWND> boxes;
        EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes)
            Answer(box);
        // Forget boxes that are gone, so a reused handle counts again.
        answered_.erase(std::remove_if(answered_.begin(), answered_.end(), [](HWND w) { return !IsWindow(w); }),
                        answered_.end());
        Sleep(10);
    }
}

void MessageBoxWatch::Answer(HWND box)
{
    if (std::find(answered_.begin(), answered_.end(), box) != answered_.end())
        return;
    SeenMessageBox seen;
    seen.caption = TextOf(box);
    EnumChildWindows(box, FindMessageText, reinterpret_cast<LPARAM>(&seen.text));
    {
        std::lock_guard<std::mutex> hold(lock_);
        seen_.push_back(seen);
    }
    answered_.push_back(box);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
}
