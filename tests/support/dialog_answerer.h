// Answers the stand-ins' modal dialogs from a second thread while the test
// thread sits in the call that shows them, the way a user would: it finds
// a dialog by its caption, types into its edits and presses its buttons.
//
//     BOOL accepted;
//     {
//         DialogAnswerer answerer([&](DialogAnswerer &user) {
//             HWND box = user.WaitForDialog(STANDIN_VERIFY_CAPTION, STANDIN_IDC_PASSWORD);
//             user.Type(box, STANDIN_IDC_PASSWORD, "secret");
//             user.Press(box, IDOK);
//         });
//         accepted = verify(saver);
//     }
//
// Every wait gives up after a time limit or as soon as the call has
// returned, and whatever dialog is still open once the script ends is
// cancelled, so a failing test never hangs in a modal loop.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class DialogAnswerer {
public:
    using Script = std::function<void(DialogAnswerer &)>;

    // Starts the script at once on its own thread; the calling thread is
    // the one whose dialogs it answers.
    explicit DialogAnswerer(Script script);
    // The call has returned: stops waiting, and joins the thread.
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer &) = delete;
    DialogAnswerer &operator=(const DialogAnswerer &) = delete;

    // A visible dialog of this process with the caption and an edit of
    // that id; null on time-out or once the call has returned.
    HWND WaitForDialog(const char *caption, int editId);
    // A visible dialog (a message box, say) owned by owner; null likewise.
    HWND WaitForOwnedBy(HWND owner);
    // Waits until the condition holds; whether it did.
    bool WaitFor(const std::function<bool()> &condition);

    // The keyboard focus and the active window of the answered thread.
    HWND Focus() const;
    HWND Active() const;

    static void Type(HWND dialog, int id, const char *text);
    static std::string Text(HWND dialog, int id);
    // Presses a button: the command its click sends to the dialog.
    static void Press(HWND dialog, int id);
    // The text of a message box.
    static std::string MessageText(HWND box);
    // Whether upper lies above lower in the window order.
    static bool IsAbove(HWND upper, HWND lower);

private:
    void Run(const Script &script);
    void CancelStrayDialogs();

    DWORD answeredThread_;
    std::atomic<bool> returned_{false};
    // Set with returned_, so that no wait outlasts the call.
    HANDLE returnedEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread thread_;
};
