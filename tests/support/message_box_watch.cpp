#include "tests/support/message_box_watch.h"

#include <algorithm>

#include "tests/support/process_windows.h"

namespace {

// The message of a box is its longest static text (the icon is a static too).
BOOL CALLBACK FindMessageText(HWND child, LPARAM context)
{
    auto *best = reinterpret_cast<std::string *>(context);
    if (ClassOf(child) == "Static") {
        std::string text = WindowText(child);
        if (text.size() > best->size())
            *best = text;
    }
    return TRUE;
}

} // namespace

// Returns only once the watcher runs. A box can come from a library's
// start-up, shown while this thread holds the loader's lock; a thread that
// had not yet finished starting (which takes that lock) would wait for it
// and never answer the box.
MessageBoxWatch::MessageBoxWatch(int answer) : answer_(answer), thread_([this] { Watch(); })
{
    started_.get_future().wait();
}

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
    // Running means started: the thread's start-up, which takes the
    // loader's lock, is over. (No look at windows before this: those of
    // the waiting constructor's thread would not answer.)
    started_.set_value();
    while (!stop_) {
        for (HWND box : ProcessDialogs())
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
    seen.caption = WindowText(box);
    EnumChildWindows(box, FindMessageText, reinterpret_cast<LPARAM>(&seen.text));
    {
        std::lock_guard<std::mutex> hold(lock_);
        seen_.push_back(seen);
    }
    answered_.push_back(box);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
}
