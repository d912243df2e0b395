#include "monitor/monitor_control.h"

#include "monitor/monitor_resources.h"
#include "monitor/corner_style.h"
#include "monitor/geometry.h"
#include "resource_ids.h"
#include "saver/resource_texts.h"

// The corner editor: a click on a corner mark opens that corner's menu,
// and the item chosen comes back as a corner command. Programs may send
// the same commands. The menus are shared by every monitor control in the
// process, so a control marks its current choice only while its menu is
// open.

namespace {

std::uint32_t StyleOf(HWND control)
{
    return static_cast<std::uint32_t>(GetWindowLongA(control, GWL_STYLE));
}

int CornerAt(HWND control, int x, int y)
{
    const int scale = PictureScaleOf(control);
    MonitorRect squares[CornerCount];
    for (int corner = 0; corner < CornerCount; ++corner) {
        const RECT square = ScaledPictureRect(CornerSquares[corner], scale);
        squares[corner] = {square.left, square.top, square.right, square.bottom};
    }
    return HitCornerSquare(squares, x, y);
}

// The hot corners work only through the System Agent; without it the user
// is told so once per start-up, on the first corner command. The warning
// counts as given before the box opens: a command that arrives while the
// box is up must not stack a second one.
void WarnOnceWithoutAgent(HWND owner)
{
    if (HotCornerAgentPresent() || AgentWarningShown)
        return;
    AgentWarningShown = TRUE;
    TextBuffer text;
    TextBuffer caption;
    if (LoadLibraryText(IDS_AGENT_WARNING, text) &&
        LoadLibraryText(IDS_AGENT_WARNING_CAPTION, caption))
        MessageBoxA(owner, text, caption, MB_ICONWARNING);
}

void NotifyParent(HWND control)
{
    const LONG id = GetWindowLongA(control, GWL_ID);
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(LOWORD(id), 0),
                 reinterpret_cast<LPARAM>(control));
}

} // namespace

void OpenCornerMenuAt(HWND control, int x, int y)
{
    const int corner = CornerAt(control, x, y);
    if (corner < 0)
        return;
    HMENU menu = CornerMenus[corner];
    if (!menu)
        return;
    // Marked by identifier, not position: should a menu text have failed
    // to load, the items after it have moved up, and the mark must not
    // land on the wrong choice.
    const UINT current = CornerMenuItem(corner, DecodeCorner(StyleOf(control), corner));
    CheckMenuItem(menu, current, MF_BYCOMMAND | MF_CHECKED);
    POINT at = {x, y};
    ClientToScreen(control, &at);
    TrackPopupMenu(menu, 0, at.x, at.y, 0, control, nullptr);
    CheckMenuItem(menu, current, MF_BYCOMMAND | MF_UNCHECKED);
}

void RunCornerCommand(HWND control, unsigned identifier)
{
    WarnOnceWithoutAgent(GetParent(control));
    // The warning box runs its own message loop, in which the control's
    // dialog may have been closed.
    if (!IsWindow(control))
        return;
    int corner;
    CornerAction action;
    if (!ReadCornerCommand(identifier, corner, action))
        return;
    SetWindowLongA(control, GWL_STYLE,
                   static_cast<LONG>(SetCornerAction(StyleOf(control), corner, action)));
    InvalidateRect(control, nullptr, FALSE);
    UpdateWindow(control);
    // Sent even when the corner already had this action: the parent reads
    // the corners back from the style either way.
    NotifyParent(control);
}
