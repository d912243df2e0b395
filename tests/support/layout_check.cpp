#include "tests/support/layout_check.h"

#include <commctrl.h>

#include <sstream>
#include <vector>

#include "tests/support/process_windows.h"

namespace {

// A visible child and the part of the dialog's client area it shows in.
struct Shown {
    HWND window;
    RECT rect;
    bool frame; // a group box or tab control, which holds other controls
};

std::string Describe(HWND control)
{
    std::ostringstream name;
    name << ClassOf(control) << " " << GetDlgCtrlID(control) << " \"" << WindowText(control) << "\"";
    return name.str();
}

// The text's size as DrawTextA lays it out in the control's font, within
// `width` when it wraps.
SIZE TextSize(HWND control, const std::string &text, int width, UINT flags)
{
    SIZE size = {0, 0};
    HDC dc = GetDC(control);
    if (!dc)
        return size;
    auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ original = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    RECT box = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &box, flags | DT_CALCRECT);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, original);
    ReleaseDC(control, dc);
    size.cx = box.right - box.left;
    // An empty text still takes one line.
    size.cy = text.empty() ? metrics.tmHeight : box.bottom - box.top;
    return size;
}

LONG AverageCharWidth(HWND control)
{
    const SIZE alphabet = TextSize(control, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 0,
                                   DT_SINGLELINE | DT_NOPREFIX);
    return (alphabet.cx / 26 + 1) / 2;
}

bool IsTextStatic(LONG style)
{
    switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT:
    case SS_SIMPLE:
    case SS_LEFTNOWORDWRAP:
        return true;
    }
    return false;
}

// A static shows its text top-aligned, wrapped within its width unless its
// type says otherwise; the rest of the control shows the parent.
RECT CheckStatic(HWND control, LONG style, const RECT &rect, std::ostream &faults)
{
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    const LONG type = style & SS_TYPEMASK;
    UINT flags = DT_EXPANDTABS | (style & SS_NOPREFIX ? DT_NOPREFIX : 0);
    if (type == SS_SIMPLE)
        flags |= DT_SINGLELINE;
    else if (type != SS_LEFTNOWORDWRAP)
        flags |= DT_WORDBREAK;
    const SIZE text = TextSize(control, WindowText(control), width, flags);
    if (text.cx > width || text.cy > height)
        faults << Describe(control) << ": its text needs " << text.cx << " x " << text.cy
               << " pixels, the control has " << width << " x " << height << "\n";
    RECT shown = {rect.left, rect.top, rect.left + text.cx, rect.top + text.cy};
    if (type == SS_CENTER)
        OffsetRect(&shown, (width - text.cx) / 2, 0);
    else if (type == SS_RIGHT)
        OffsetRect(&shown, width - text.cx, 0);
    return shown;
}

// Room a button's text has: a push button keeps an edge and a focus frame
// on each side; a check box or radio button gives its box and a gap; a
// group box's caption sits on its frame, indented on both sides.
void CheckButton(HWND control, LONG style, const RECT &rect, std::ostream &faults)
{
    const LONG type = style & BS_TYPEMASK;
    const std::string text = WindowText(control);
    const SIZE size = TextSize(control, text, 0, DT_SINGLELINE);
    LONG needed = size.cx;
    LONG neededHeight = size.cy;
    switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        needed += 4 * GetSystemMetrics(SM_CXEDGE) + 2;
        neededHeight += 2 * GetSystemMetrics(SM_CYEDGE);
        break;
    case BS_GROUPBOX:
        needed += 2 * AverageCharWidth(control);
        break;
    default:
        needed += GetSystemMetrics(SM_CXMENUCHECK) + AverageCharWidth(control) / 2;
        break;
    }
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    if (needed > width || (type != BS_GROUPBOX && neededHeight > height))
        faults << Describe(control) << ": its text needs " << needed << " x " << neededHeight
               << " pixels, the control has " << width << " x " << height << "\n";
}

// Every entry of a drop-down list must show beside the arrow button.
void CheckComboEntries(HWND control, const RECT &rect, std::ostream &faults)
{
    const LONG room = rect.right - rect.left - GetSystemMetrics(SM_CXVSCROLL) - 4 * GetSystemMetrics(SM_CXEDGE);
    const LRESULT count = SendMessageA(control, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(control, CB_GETLBTEXTLEN, i, 0);
        if (length < 0 || length > 1023)
            continue;
        std::string entry(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&entry[0]));
        entry.resize(static_cast<size_t>(length));
        const SIZE size = TextSize(control, entry, 0, DT_SINGLELINE | DT_NOPREFIX);
        if (size.cx > room)
            faults << Describe(control) << ": entry \"" << entry << "\" needs " << size.cx
                   << " pixels, the list shows " << room << "\n";
    }
}

// An up-down control set beside its buddy shares the buddy's border, as
// the platform places it.
bool Buddies(HWND one, HWND other)
{
    auto buddyOf = [](HWND window) {
        return ClassOf(window) == "msctls_updown32" ? reinterpret_cast<HWND>(SendMessageA(window, UDM_GETBUDDY, 0, 0))
                                                    : nullptr;
    };
    return buddyOf(one) == other || buddyOf(other) == one;
}

} // namespace

std::string LayoutFaults(HWND dialog)
{
    std::ostringstream faults;
    RECT client;
    if (!GetClientRect(dialog, &client))
        return "no dialog to check\n";
    std::vector<Shown> shown;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (!(style & WS_VISIBLE))
            continue;
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
        const std::string kind = ClassOf(child);
        Shown item = {child, rect, false};
        if (kind == "Static" && IsTextStatic(style)) {
            item.rect = CheckStatic(child, style, rect, faults);
        } else if (kind == "Button") {
            CheckButton(child, style, rect, faults);
            item.frame = (style & BS_TYPEMASK) == BS_GROUPBOX;
        } else if (kind == "ComboBox") {
            CheckComboEntries(child, rect, faults);
        } else if (kind == "SysTabControl32") {
            item.frame = true;
        }
        RECT inside;
        if (!IsRectEmpty(&item.rect) &&
            (!IntersectRect(&inside, &item.rect, &client) || !EqualRect(&inside, &item.rect)))
            faults << Describe(child) << ": (" << item.rect.left << "," << item.rect.top << ")-("
                   << item.rect.right << "," << item.rect.bottom << ") reaches out of the client area "
                   << client.right << " x " << client.bottom << "\n";
        shown.push_back(item);
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT common;
            if (shown[i].frame || shown[j].frame || Buddies(shown[i].window, shown[j].window) ||
                !IntersectRect(&common, &shown[i].rect, &shown[j].rect))
                continue;
            faults << Describe(shown[i].window) << " and " << Describe(shown[j].window) << " overlap in ("
                   << common.left << "," << common.top << ")-(" << common.right << "," << common.bottom << ")\n";
        }
    }
    return faults.str();
}

int PictureScaleHere()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi == 192 ? 2 : 1;
}
