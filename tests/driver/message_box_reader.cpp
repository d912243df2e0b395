#include "tests/driver/message_box_reader.h"

#include <algorithm>
#include <cstdio>

namespace driver {

namespace {

// The system's message box gives its message text this control id.
constexpr int MessageTextId = 0xFFFF;

bool IsStatic(const WindowInfo &control)
{
    return _stricmp(control.className.c_str(), "Static") == 0;
}

bool IsButton(const WindowInfo &control)
{
    return _stricmp(control.className.c_str(), "Button") == 0;
}

bool ShowsPicture(const WindowInfo &control)
{
    DWORD kind = control.style & SS_TYPEMASK;
    return kind == SS_ICON || kind == SS_BITMAP || kind == SS_ENHMETAFILE;
}

std::string WithoutAccelerator(const std::string &text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

}  // namespace

bool MessageBoxInfo::HasButton(int id) const
{
    return std::any_of(buttons.begin(), buttons.end(),
                       [id](const DialogButton &button) { return button.id == id; });
}

std::vector<int> MessageBoxInfo::ButtonIds() const
{
    std::vector<int> ids;
    for (const DialogButton &button : buttons)
        ids.push_back(button.id);
    return ids;
}

std::string Describe(const MessageBoxInfo &box)
{
    if (!box.Handle())
        return "(no message box)";
    std::string text = "box \"" + box.caption + "\": \"" + box.text + "\", buttons";
    for (const DialogButton &button : box.buttons) {
        char id[16];
        std::snprintf(id, sizeof id, " %d", button.id);
        text += id;
        text += "(" + button.text + ")";
    }
    return text;
}

bool IsDialogWindow(HWND window)
{
    char className[16] = {};
    return window && GetClassNameA(window, className, sizeof className) > 0 &&
           std::string(className) == "#32770";
}

MessageBoxInfo ReadMessageBox(HWND dialog)
{
    MessageBoxInfo box;
    if (!IsDialogWindow(dialog))
        return box;
    box.window = ReadWindow(dialog);
    box.caption = box.window.title;
    const WindowInfo *message = nullptr;
    std::vector<WindowInfo> controls = ChildWindowsOf(dialog);
    // Hidden buttons (a message box keeps some of its template's buttons
    // hidden) cannot be pressed by the user, so they are not offered.
    std::vector<std::pair<LONG, DialogButton>> placed;
    for (const WindowInfo &control : controls) {
        if (IsStatic(control) && !ShowsPicture(control)) {
            if (control.controlId == MessageTextId || (!message && !control.title.empty()))
                message = &control;
        } else if (IsButton(control) && control.visible) {
            placed.push_back({control.windowRect.left,
                              DialogButton{control.controlId, WithoutAccelerator(control.title),
                                           control.handle}});
        }
    }
    if (message)
        box.text = message->title;
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (auto &button : placed)
        box.buttons.push_back(button.second);
    return box;
}

bool ClickDialogButton(HWND dialog, int buttonId, ClickMethod method)
{
    if (!IsDialogWindow(dialog))
        return false;
    HWND button = GetDlgItem(dialog, buttonId);
    if (!button)
        return false;
    if (method == ClickMethod::Click)
        return PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != FALSE;
}

}  // namespace driver
