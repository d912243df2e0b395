#include "tests/driver/window_query.h"

#include <cstdio>

namespace driver {

namespace {

// Long enough for any title or message-box text the programs show; longer
// texts are cut, which a test then sees as a mismatch rather than a crash.
constexpr int TextLimit = 4096;
// A window that does not answer WM_GETTEXT within this time is treated as
// hung; the caller then gets the text the system keeps for it.
constexpr UINT TextAnswerLimitMs = 2000;

struct Collector {
    DWORD processId;  // 0: any process
    bool includeHidden;
    std::vector<WindowInfo> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM data)
{
    auto *collector = reinterpret_cast<Collector *>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (collector->processId != 0 && owner != collector->processId)
        return TRUE;
    if (!collector->includeHidden && !IsWindowVisible(window))
        return TRUE;
    collector->found.push_back(ReadWindow(window));
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data)
{
    reinterpret_cast<std::vector<WindowInfo> *>(data)->push_back(ReadWindow(window));
    return TRUE;
}

}  // namespace

std::string WindowText(HWND window)
{
    std::string text(TextLimit, '\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutA(window, WM_GETTEXT, TextLimit, reinterpret_cast<LPARAM>(&text[0]),
                            SMTO_ABORTIFHUNG | SMTO_BLOCK, TextAnswerLimitMs, &copied)) {
        text.resize(copied < TextLimit ? copied : TextLimit - 1);
        return text;
    }
    int length = GetWindowTextA(window, &text[0], TextLimit);
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

WindowInfo ReadWindow(HWND window)
{
    WindowInfo info;
    if (!window || !IsWindow(window))
        return info;
    info.handle = window;
    char className[256] = {};
    if (GetClassNameA(window, className, sizeof className) > 0)
        info.className = className;
    info.title = WindowText(window);
    info.style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    info.exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    GetWindowRect(window, &info.windowRect);
    GetClientRect(window, &info.clientRect);
    info.threadId = GetWindowThreadProcessId(window, &info.processId);
    info.owner = GetWindow(window, GW_OWNER);
    info.controlId = GetWindowLongA(window, GWL_ID);
    // A window that is being shown can gain WS_VISIBLE between the reads
    // above and this one: it counts as visible only once the style read
    // says so too, so a caller that waits for a visible window never gets
    // a record whose style is from before.
    info.visible = (info.style & WS_VISIBLE) && IsWindowVisible(window);
    return info;
}

std::vector<WindowInfo> TopLevelWindowsOf(DWORD processId, bool includeHidden)
{
    if (processId == 0)
        return {};
    Collector collector{processId, includeHidden, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&collector));
    return collector.found;
}

std::vector<WindowInfo> AllTopLevelWindows(bool includeHidden)
{
    Collector collector{0, includeHidden, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&collector));
    return collector.found;
}

std::vector<WindowInfo> ChildWindowsOf(HWND parent)
{
    std::vector<WindowInfo> children;
    if (parent && IsWindow(parent))
        EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::string Describe(const WindowInfo &window)
{
    if (!window.handle)
        return "(no window)";
    char geometry[200];
    std::snprintf(geometry, sizeof geometry,
                  "style 0x%08lX, ex 0x%08lX, window (%ld,%ld)-(%ld,%ld), client %dx%d%s",
                  static_cast<unsigned long>(window.style), static_cast<unsigned long>(window.exStyle),
                  window.windowRect.left, window.windowRect.top, window.windowRect.right,
                  window.windowRect.bottom, window.ClientWidth(), window.ClientHeight(),
                  window.visible ? "" : ", hidden");
    return "class \"" + window.className + "\", title \"" + window.title + "\", " + geometry;
}

std::string Describe(const std::vector<WindowInfo> &windows)
{
    if (windows.empty())
        return "(no windows)";
    std::string text;
    for (const WindowInfo &window : windows)
        text += "\n  " + Describe(window);
    return text;
}

}  // namespace driver
