// Answers the message boxes this thread shows while the object lives, and
// keeps what each one said. A box is answered as soon as it opens; one
// that somehow stays open is closed after a time limit, and the test sees
// it through TimedOut().
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct ShownMessageBox {
    std::string caption;
    std::string text;
    bool hasOwner = false;
    bool hasOk = false, hasYes = false, hasNo = false, hasCancel = false;
    HICON icon = nullptr; // the icon the box shows, null for none
};

class MessageBoxAnswerer {
public:
    // Each box gets the next answer (IDOK, IDYES, IDNO...); boxes beyond the
    // list are answered with IDOK, or IDNO when the box has no OK button.
    explicit MessageBoxAnswerer(std::vector<int> answers = {});
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer &) = delete;
    MessageBoxAnswerer &operator=(const MessageBoxAnswerer &) = delete;

    const std::vector<ShownMessageBox> &Boxes() const { return boxes_; }
    bool TimedOut() const { return timedOut_; }
    // Called for each box before it is answered, while it is on screen.
    void OnShow(void (*callback)(const ShownMessageBox &box, void *context), void *context)
    {
        onShow_ = callback;
        onShowContext_ = context;
    }

private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD);
    void Answer(HWND box);

    std::vector<int> answers_;
    std::vector<ShownMessageBox> boxes_;
    std::vector<HWND> answered_;
    std::vector<DWORD> answeredAt_;
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    bool timedOut_ = false;
    void (*onShow_)(const ShownMessageBox &, void *) = nullptr;
    void *onShowContext_ = nullptr;
};

// The system icons a message box can show, for comparing with ShownMessageBox::icon.
HICON ExclamationIcon();
HICON StopIcon();
HICON InformationIcon();
