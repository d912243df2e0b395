// What a program asks of Windows help, for tests on machines without a
// help viewer.
//
// WinHelpA looks for a window of class "MS_WINHELP" and starts the help
// viewer when there is none. HelpViewerStandin is such a window: it keeps
// the real viewer from starting and decodes the requests it receives. Wine
// hands them over as WM_COPYDATA (dwData 0xA1DE505) carrying a record:
// size, command, data, a reserved field, the offsets of the file name and
// of extra data, then the texts; wParam is the window that asked.
//
// Wine forwards only the commands whose data it knows how to copy. The
// control-help commands HELP_WM_HELP and HELP_CONTEXTMENU are not among
// them: WinHelpA answers FALSE and sends nothing. WinHelpCalls therefore
// also listens at the call itself: while it lives, this program's calls to
// WinHelpA go first through a recorder, then on to WinHelpA.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

struct HelpRequest {
    HWND window = nullptr;
    std::string file;
    UINT command = 0;
    ULONG_PTR data = 0;
    // For HELP_WM_HELP and HELP_CONTEXTMENU, whose data is a table of
    // control and topic pairs: the pairs before the closing zeros.
    std::vector<std::pair<DWORD, DWORD>> table;
};

// An "MS_WINHELP" window on the calling thread while the object lives.
class HelpViewerStandin {
public:
    HelpViewerStandin();
    ~HelpViewerStandin();
    HelpViewerStandin(const HelpViewerStandin &) = delete;
    HelpViewerStandin &operator=(const HelpViewerStandin &) = delete;

    HWND Window() const { return window_; }
    const std::vector<HelpRequest> &Received() const { return received_; }

private:
    static LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<HelpRequest> received_;
};

// Records every WinHelpA call of this program (its own import of the
// call, which the framework's code shares, being linked into it).
class WinHelpCalls {
public:
    WinHelpCalls();
    ~WinHelpCalls();
    WinHelpCalls(const WinHelpCalls &) = delete;
    WinHelpCalls &operator=(const WinHelpCalls &) = delete;

    // Whether the program's import of WinHelpA could be redirected.
    bool Listening() const { return slot_ != nullptr; }
    const std::vector<HelpRequest> &Calls() const { return calls_; }

private:
    static BOOL WINAPI Record(HWND window, LPCSTR file, UINT command, ULONG_PTR data);

    void **slot_ = nullptr;
    void *original_ = nullptr;
    std::vector<HelpRequest> calls_;
};
