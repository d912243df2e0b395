// Where the message a window procedure handles came from. Any thread or
// program on the desktop can send or post our windows any message, and a
// message sent from elsewhere can make this thread's own code send more:
// a page that handles a command another program sent fills its controls;
// DestroyWindow, run inside such a send, sends the window its own
// WM_DESTROY. The system's "was it sent by this thread" flag stays set for
// all of those, so on a watched thread three hooks tell them apart:
//  - the send hooks note, for every message sent to a window of the
//    thread, whether this thread sent it, and keep one entry per send
//    while its window procedure runs;
//  - the message hook drops, before anyone dispatches them, the messages
//    that nobody may post: a window's creation and destruction;
//  - the window hook refuses to minimise or maximise the full-screen
//    saver window, which the framework never does itself.
#pragma once
#include <windows.h>

// Watches the calling thread for as long as any watch of it lives.
class MessageOriginWatch {
public:
    MessageOriginWatch();
    ~MessageOriginWatch();
    MessageOriginWatch(const MessageOriginWatch &) = delete;
    MessageOriginWatch &operator=(const MessageOriginWatch &) = delete;
};

// The same, for owners whose life is not a scope (a saver window, from its
// own creation to its real destruction): each Begin needs one End.
void BeginWatchingMessageOrigins();
void EndWatchingMessageOrigins();

// Whether this message, now in the hands of a window procedure, came
// straight from another thread or process. On a watched thread this looks
// at the innermost send under way, so this thread's own sends (even those
// made while handling another thread's message) and the posts it
// dispatches count as its own; on any other thread it falls back on the
// system's flag for the message being handled.
bool SentFromElsewhere(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
