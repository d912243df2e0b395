// What the password dialogs of PASSWORD.CPL and MPR.DLL share.
#pragma once
#include <windows.h>

// The longest password the dialogs take, in characters.
constexpr int kMaxPasswordLength = 127;

// A password typed into a dialog's edit, wiped when it goes out of scope.
class TypedPassword {
public:
    TypedPassword(HWND dialog, int editId);
    ~TypedPassword();
    TypedPassword(const TypedPassword &) = delete;
    TypedPassword &operator=(const TypedPassword &) = delete;
    const char *Text() const { return text_; }

private:
    char text_[kMaxPasswordLength + 1] = {};
};

// Prepares a password dialog when it opens: limits its edits, and puts it
// above its owner, which is often the topmost full-screen saver, and in
// the foreground with the keyboard focus in the edit named first. Answer
// WM_INITDIALOG with FALSE afterwards, so the focus stays there.
void OpenPasswordDialog(HWND dialog, const int *editIds, int editCount);

// Empties an edit and moves the focus there, for the user's next try.
void RetryInEdit(HWND dialog, int editId);
