// Reading and answering message boxes (dialog class "#32770") of another
// process: their caption, their message text and their buttons.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/driver/window_query.h"

namespace driver {

struct DialogButton {
    int id = 0;  // IDOK, IDYES, ...
    std::string text;
    HWND handle = nullptr;
};

struct MessageBoxInfo {
    WindowInfo window;
    std::string caption;
    std::string text;  // the message, line breaks as "\n"
    std::vector<DialogButton> buttons;

    HWND Handle() const { return window.handle; }
    bool HasButton(int id) const;
    // The button ids in the order the box lays them out, e.g. {IDYES, IDNO}.
    std::vector<int> ButtonIds() const;
};

std::string Describe(const MessageBoxInfo &box);

// Reads a dialog window as a message box. The message is the text of its
// static control with id 0xFFFF (the id the system gives it), or failing
// that the first static control with text that is not an icon.
MessageBoxInfo ReadMessageBox(HWND dialog);

// True when the window is a "#32770" dialog.
bool IsDialogWindow(HWND window);

// How a button is pressed.
enum class ClickMethod {
    Command,  // WM_COMMAND(id, BN_CLICKED) posted to the dialog: what a click ends in
    Click,    // BM_CLICK to the button itself, as if the user clicked it
};

// Presses the button with the given id of a dialog of another process. The
// press is posted, never sent, so a busy or hung target cannot block the
// caller. Returns false when the dialog has no such button or is gone.
bool ClickDialogButton(HWND dialog, int buttonId, ClickMethod method = ClickMethod::Command);

}  // namespace driver
