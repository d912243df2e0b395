#include "config/configuration_guard.h"

#include <commctrl.h>

#include <initializer_list>

#include "saver/message_origin.h"
#include "saver/window_kinds.h"

namespace {

constexpr UINT_PTR GuardId = 0xD05C;

LRESULT CALLBACK RefuseFromElsewhere(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR)
{
    if (IsThreadOnlyMessage(message, wParam, lParam) && SentFromElsewhere(window, message, wParam, lParam))
        return 0;
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, RefuseFromElsewhere, GuardId);
    return DefSubclassProc(window, message, wParam, lParam);
}

bool IsComboBox(HWND window)
{
    char name[16] = "";
    return GetClassNameA(window, name, sizeof name) > 0 && _stricmp(name, "ComboBox") == 0;
}

void GuardOne(HWND window)
{
    if (!window || SaverWindowKindOf(window) != SaverWindowKind::Unknown)
        return;
    SetWindowSubclass(window, RefuseFromElsewhere, GuardId, 0);
    if (!IsComboBox(window))
        return;
    // A combo box's list is a window of its own, not always its child.
    COMBOBOXINFO combo = {};
    combo.cbSize = sizeof combo;
    if (GetComboBoxInfo(window, &combo)) {
        for (HWND part : {combo.hwndItem, combo.hwndList})
            if (part && part != window)
                SetWindowSubclass(part, RefuseFromElsewhere, GuardId, 0);
    }
}

BOOL CALLBACK GuardChild(HWND child, LPARAM)
{
    GuardOne(child);
    return TRUE;
}

} // namespace

bool IsThreadOnlyMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NOTIFY:
    case WM_INITDIALOG:
    case WM_DESTROY:
    case WM_NCDESTROY:
        return true;
    default:
        return message >= WM_USER && (wParam != 0 || lParam != 0);
    }
}

void GuardConfigurationWindows(HWND window)
{
    GuardOne(window);
    EnumChildWindows(window, GuardChild, 0);
}
