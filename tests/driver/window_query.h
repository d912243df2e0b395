// Reading another process's top-level windows and their controls: class,
// title, styles and geometry, the way a person looking at the screen (or a
// spy tool) would see them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace driver {

struct WindowInfo {
    HWND handle = nullptr;
    std::string className;
    std::string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT windowRect{};  // screen coordinates
    RECT clientRect{};  // client coordinates: left and top are 0
    DWORD processId = 0;
    DWORD threadId = 0;
    HWND owner = nullptr;
    int controlId = 0;  // GWL_ID; meaningful for child windows only
    bool visible = false;

    int Width() const { return windowRect.right - windowRect.left; }
    int Height() const { return windowRect.bottom - windowRect.top; }
    int ClientWidth() const { return clientRect.right - clientRect.left; }
    int ClientHeight() const { return clientRect.bottom - clientRect.top; }
    bool IsDialog() const { return className == "#32770"; }
    bool HasStyle(DWORD bits) const { return (style & bits) == bits; }
    bool HasExStyle(DWORD bits) const { return (exStyle & bits) == bits; }
};

// A one-line description for failure messages:
// class "OpenGL", title "...", style 0x..., ex 0x..., window (l,t)-(r,b), client WxH.
std::string Describe(const WindowInfo &window);
std::string Describe(const std::vector<WindowInfo> &windows);

// Reads one window; an invalid handle gives a record with a null handle.
WindowInfo ReadWindow(HWND window);

// The text of a window, asked for with WM_GETTEXT under a time limit (so a
// hung target cannot hang the caller), falling back on the text the system
// keeps for the window.
std::string WindowText(HWND window);

// Top-level windows that belong to the process, in Z order. Hidden windows
// (the system's helper windows among them) are left out unless asked for.
std::vector<WindowInfo> TopLevelWindowsOf(DWORD processId, bool includeHidden = false);

// Every top-level window on this desktop, of every process.
std::vector<WindowInfo> AllTopLevelWindows(bool includeHidden = false);

// The direct and indirect children of a window, in the order the system
// enumerates them.
std::vector<WindowInfo> ChildWindowsOf(HWND parent);

}  // namespace driver
