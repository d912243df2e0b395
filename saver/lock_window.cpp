#include "saver/lock_window.h"

#include "saver/issued.h"
#include "saver/monitors.h"

namespace {

constexpr DWORD HeldStyle = WS_POPUP | WS_VISIBLE;
constexpr DWORD ForbiddenStyle = WS_CHILD | WS_MINIMIZE | WS_MAXIMIZE;

// Set while the window is put back, so the changes that makes are not
// taken for new ones to undo.
thread_local bool Restoring = false;

bool HasParent(HWND window)
{
    HWND parent = GetAncestor(window, GA_PARENT);
    return parent && parent != GetDesktopWindow();
}

bool OutOfPlace(HWND window)
{
    return HasParent(window) || IsIconic(window) || IsZoomed(window) || !IsWindowVisible(window) ||
           (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & ForbiddenStyle) != 0;
}

} // namespace

void HoldPlaceOnPositionChange(HWND window, LPARAM position)
{
    auto *place = reinterpret_cast<WINDOWPOS *>(position);
    if (!IsWritableMemory(position, sizeof *place) || place->hwnd != window)
        return;
    const RECT screen = VirtualScreenRect();
    place->x = screen.left;
    place->y = screen.top;
    place->cx = screen.right - screen.left;
    place->cy = screen.bottom - screen.top;
    place->flags &= ~(SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW);
    if (!(place->flags & SWP_NOZORDER))
        place->hwndInsertAfter = HWND_TOPMOST;
}

void HoldStylesOnStyleChange(HWND, WPARAM which, LPARAM styles)
{
    auto *change = reinterpret_cast<STYLESTRUCT *>(styles);
    if (!IsWritableMemory(styles, sizeof *change))
        return;
    if (static_cast<int>(which) == GWL_STYLE)
        change->styleNew = (change->styleNew | HeldStyle) & ~ForbiddenStyle;
    else if (static_cast<int>(which) == GWL_EXSTYLE)
        change->styleNew |= WS_EX_TOPMOST;
}

void RestorePlaceAfterChange(HWND window)
{
    if (Restoring || !OutOfPlace(window))
        return;
    Restoring = true;
    if (HasParent(window))
        SetParent(window, nullptr);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    if (style & ForbiddenStyle)
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>((style | HeldStyle) & ~ForbiddenStyle));
    const RECT screen = VirtualScreenRect();
    SetWindowPos(window, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    Restoring = false;
}
