#include "standins/password_store/password_dialog.h"

TypedPassword::TypedPassword(HWND dialog, int editId)
{
    GetDlgItemTextA(dialog, editId, text_, sizeof text_);
}

TypedPassword::~TypedPassword()
{
    volatile char *p = text_;
    for (size_t i = 0; i < sizeof text_; ++i)
        p[i] = 0;
}

void OpenPasswordDialog(HWND dialog, const int *editIds, int editCount)
{
    for (int i = 0; i < editCount; ++i)
        SendDlgItemMessageA(dialog, editIds[i], EM_LIMITTEXT, kMaxPasswordLength, 0);
    // An owned window stays above its owner, but a topmost owner covers
    // every window that is not topmost itself: the dialog must be topmost
    // too, or it could open hidden behind the saver it belongs to.
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(dialog);
    if (editCount > 0)
        SetFocus(GetDlgItem(dialog, editIds[0]));
}

void RetryInEdit(HWND dialog, int editId)
{
    HWND edit = GetDlgItem(dialog, editId);
    SetWindowTextA(edit, "");
    SetFocus(edit);
}
