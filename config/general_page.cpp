#include "config/general_page.h"

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include "config/configuration_guard.h"
#include "config/config_host.h"
#include "config/context_help.h"
#include "config/dialog_font.h"
#include "config/general_logic.h"
#include "config/general_dialog.h"
#include "library/module.h"
#include "monitor/monitor_resources.h"
#include "monitor/corner_style.h"
#include "resource_ids.h"
#include "saver/debug_output.h"
#include "saver/issued.h"
#include "saver/prefs.h"
#include "saver/resource_texts.h"

static_assert(MONITOR_TYPE_CORNERS == MS_CORNERS && MONITOR_TYPE_CORNERS == MonitorTypeCorners,
              "the page's monitor control edits corners");

namespace {

// The arrows keep the typed delay within this range; typing may go beyond.
const short ArrowsLowest = 0;
const short ArrowsHighest = 99;

// Shown in place of the Wait row when the saver's policy text is missing.
const char FallbackPolicyText[] = "Special password treatment.";

const UINT SensitivityEntries[] = {IDS_SENSITIVITY_HIGH, IDS_SENSITIVITY_NORMAL, IDS_SENSITIVITY_LOW,
                                   IDS_SENSITIVITY_KEYBOARD};
const int SensitivityCount = sizeof SensitivityEntries / sizeof SensitivityEntries[0];

// The Wait row, hidden as a whole when the saver has its own password policy.
const int WaitRow[] = {IDC_WAIT_LABEL, IDC_PASSWORD_DELAY, IDC_PASSWORD_DELAY_ARROWS, IDC_PASSWORD_DELAY_UNIT,
                       IDC_PASSWORD_DELAY_TAIL};

// The sheet makes room for its pages in the dialog units of its own font,
// while the page lays its controls out in those of its own. At 96 DPI the
// two agree; at other DPIs the fonts' heights round apart (at 144 DPI the
// room comes out 20 pixels short and the check boxes at the bottom are
// cut). So once the sheet has placed the page, it grows by what the page
// needs beyond that room: the tab control and the pages with it, while the
// buttons below move along. Where the room suffices nothing changes.
void GiveThePageItsRoom(HWND page)
{
    HWND sheet = GetParent(page);
    RECT needed = {0, 0, GENERAL_PAGE_WIDTH, GENERAL_PAGE_HEIGHT};
    RECT given;
    if (!sheet || !MapDialogRect(page, &needed) || !GetClientRect(page, &given))
        return;
    const int dx = needed.right > given.right ? needed.right - given.right : 0;
    const int dy = needed.bottom > given.bottom ? needed.bottom - given.bottom : 0;
    if (!dx && !dy)
        return;
    const UINT quietly = SWP_NOZORDER | SWP_NOACTIVATE;
    HWND tabs = PropSheet_GetTabControl(sheet);
    for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT at;
        GetWindowRect(child, &at);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT *>(&at), 2);
        char kind[16] = "";
        GetClassNameA(child, kind, sizeof kind);
        if (child == tabs || lstrcmpA(kind, "#32770") == 0)
            SetWindowPos(child, nullptr, 0, 0, at.right - at.left + dx, at.bottom - at.top + dy,
                         quietly | SWP_NOMOVE);
        else
            SetWindowPos(child, nullptr, at.left + dx, at.top + dy, 0, 0, quietly | SWP_NOSIZE);
    }
    RECT outer;
    GetWindowRect(sheet, &outer);
    SetWindowPos(sheet, nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
                 quietly | SWP_NOMOVE);
}

// Any program can write the page's DWLP_USER slot: only the settings the
// configuration host issued for its sheet are used.
GeneralDialog *SettingsOf(HWND page)
{
    auto *settings = reinterpret_cast<GeneralDialog *>(GetWindowLongPtrA(page, DWLP_USER));
    return WasIssued(settings, Issued::GeneralSettings) ? settings : nullptr;
}

void ShowItem(HWND page, int id, int command)
{
    ShowWindow(GetDlgItem(page, id), command);
}

// A check box that exists only when the saver offers its setting.
void SetUpOptionalBox(HWND page, int id, LONG checked, LONG offered)
{
    CheckDlgButton(page, id, checked ? BST_CHECKED : BST_UNCHECKED);
    ShowItem(page, id, offered ? SW_SHOW : SW_HIDE);
    EnableWindow(GetDlgItem(page, id), offered ? TRUE : FALSE);
}

void SetUpCorners(const GeneralDialog &settings, HWND page)
{
    HWND control = GetDlgItem(page, IDC_CORNERS);
    if (!control)
        return;
    CornerAction actions[CornerCount];
    for (int corner = 0; corner < CornerCount; ++corner)
        actions[corner] = static_cast<CornerAction>(settings.corners[corner]);
    const auto style = static_cast<std::uint32_t>(GetWindowLongA(control, GWL_STYLE));
    // The control reads its style when it paints; nothing asks for a paint
    // here because the page is not shown yet.
    SetWindowLongA(control, GWL_STYLE, static_cast<LONG>(EncodeCorners(style, actions)));
}

// The corner explanation depends on whether anyone carries out the hot
// corners. The monitor control warns about a missing agent by itself.
void SetUpAgentText(HWND page)
{
    const LONG agent = GeneralDialog::DetectSystemAgent();
    NoteHotCornerAgent(agent != 0);
    // The providers answer nonzero for a running agent; any such answer
    // shows the text rather than being taken as some other show command.
    ShowItem(page, IDC_AGENT_TEXT, agent ? SW_SHOW : SW_HIDE);
    ShowItem(page, IDC_NO_AGENT_TEXT, agent ? SW_HIDE : SW_SHOW);
}

// The saver decides about the password itself: the page says so instead of
// offering a delay.
void SetUpPasswordPolicy(HWND page)
{
    TextBuffer text;
    const UINT policy = CurrentPrefs.AlwaysRequirePassword ? IDS_ALWAYS_PASSWORD : IDS_NEVER_PASSWORD;
    SetDlgItemTextA(page, IDC_PASSWORD_POLICY, LoadLibraryText(policy, text) ? text : FallbackPolicyText);
    for (int id : WaitRow)
        ShowItem(page, id, SW_HIDE);
    for (int id : {IDC_PASSWORD_DELAY, IDC_PASSWORD_DELAY_ARROWS, IDC_PASSWORD_DELAY_UNIT})
        EnableWindow(GetDlgItem(page, id), FALSE);
    ShowItem(page, IDC_PASSWORD_POLICY, SW_SHOW);
}

void AddListText(HWND page, int id, const char *text)
{
    SendDlgItemMessageA(page, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void SetUpPasswordDelay(const GeneralDialog &settings, HWND page)
{
    ShowItem(page, IDC_PASSWORD_POLICY, SW_HIDE);

    SendDlgItemMessageA(page, IDC_PASSWORD_DELAY_UNIT, CB_RESETCONTENT, 0, 0);
    for (UINT unit : {IDS_UNIT_SECONDS, IDS_UNIT_MINUTES}) {
        TextBuffer text;
        if (LoadLibraryText(unit, text))
            AddListText(page, IDC_PASSWORD_DELAY_UNIT, text);
    }
    SendDlgItemMessageA(page, IDC_PASSWORD_DELAY_UNIT, CB_SETCURSEL, settings.passwordDelayIndex, 0);

    char number[16];
    std::snprintf(number, sizeof number, "%i", static_cast<int>(ShownDelay(settings.passwordDelay,
                                                                            settings.passwordDelayIndex)));
    SendDlgItemMessageA(page, IDC_PASSWORD_DELAY, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(number));

    SendDlgItemMessageA(page, IDC_PASSWORD_DELAY_ARROWS, UDM_SETRANGE, 0, MAKELONG(ArrowsHighest, ArrowsLowest));
}

void SetUpSensitivity(const GeneralDialog &settings, HWND page)
{
    SendDlgItemMessageA(page, IDC_SENSITIVITY, CB_RESETCONTENT, 0, 0);
    for (UINT entry : SensitivityEntries) {
        TextBuffer text;
        if (!LoadLibraryText(entry, text))
            continue;
        text[SensitivityNameLength(text)] = '\0';
        AddListText(page, IDC_SENSITIVITY, text);
    }
    SendDlgItemMessageA(page, IDC_SENSITIVITY, CB_SETCURSEL, settings.mouseThresholdIndex, 0);
}

// Stores value into field; whether that changed it.
bool Update(LONG &field, LONG value)
{
    const bool changed = field != value;
    field = value;
    return changed;
}

bool ReadCorners(GeneralDialog &settings, HWND page)
{
    HWND control = GetDlgItem(page, IDC_CORNERS);
    if (!control)
        return false;
    CornerAction actions[CornerCount];
    DecodeCorners(static_cast<std::uint32_t>(GetWindowLongA(control, GWL_STYLE)), actions);
    bool changed = false;
    for (int corner = 0; corner < CornerCount; ++corner) {
        const BYTE action = actions[corner];
        changed = changed || settings.corners[corner] != action;
        settings.corners[corner] = action;
    }
    return changed;
}

LRESULT CurrentSelection(HWND page, int id)
{
    return SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0);
}

// The unit first: the number in the box is read in the unit now chosen.
bool ReadPasswordDelay(GeneralDialog &settings, HWND page)
{
    bool changed = false;
    const LRESULT unit = CurrentSelection(page, IDC_PASSWORD_DELAY_UNIT);
    if (unit != CB_ERR)
        changed = Update(settings.passwordDelayIndex, static_cast<LONG>(unit));

    TextBuffer typed = "";
    SendDlgItemMessageA(page, IDC_PASSWORD_DELAY, WM_GETTEXT, TextBufferSize, reinterpret_cast<LPARAM>(typed));
    std::int32_t seconds = 0;
    if (ReadTypedDelay(typed, settings.passwordDelayIndex, seconds))
        changed = Update(settings.passwordDelay, seconds) || changed;
    return changed;
}

bool ReadSensitivity(GeneralDialog &settings, HWND page)
{
    bool changed = false;
    const LRESULT index = CurrentSelection(page, IDC_SENSITIVITY);
    if (index != CB_ERR)
        changed = Update(settings.mouseThresholdIndex, static_cast<LONG>(index));

    // The threshold comes from the entry itself, whatever the list shows.
    LONG entry = settings.mouseThresholdIndex;
    if (entry < 0)
        entry = 0;
    if (entry >= SensitivityCount)
        entry = SensitivityCount - 1;
    TextBuffer text;
    std::int32_t threshold = 0;
    if (LoadLibraryText(SensitivityEntries[entry], text) && ReadSensitivityThreshold(text, threshold))
        changed = Update(settings.mouseThreshold, threshold) || changed;
    return changed;
}

bool ReadOptionalBox(LONG &field, HWND page, int id)
{
    const LRESULT state = SendDlgItemMessageA(page, id, BM_GETSTATE, 0, 0);
    return Update(field, (state & BST_CHECKED) ? 1 : 0);
}

// The page's own WM_INITDIALOG comes once, from the sheet, with the
// sheet's copy of the page record; another one, from anyone, is not read.
void OnInitDialog(HWND page, LPARAM lParam)
{
    ScrTrace("Dusklit: GeneralDlgProc: WM_INITDIALOG. Setting up controls");
    const auto *record = reinterpret_cast<const PROPSHEETPAGEA *>(lParam);
    if (!FirstInitialisation(page) || !IsReadableMemory(lParam, PROPSHEETPAGEA_V1_SIZE))
        return;
    auto *settings = reinterpret_cast<GeneralDialog *>(record->lParam);
    if (!WasIssued(settings, Issued::GeneralSettings))
        return;
    SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(settings));
    GuardConfigurationWindows(page);
    SetUpControls(settings, page);
}

// After a cancel the sheet closes for certain, and the page stops listening
// to its controls: as the sheet goes, the focused control reports losing
// the focus, and reading the controls then would store again the very
// values that were just reverted. (After OK the controls show what is
// stored already; and another page may still refuse OK and keep the sheet
// open.)
void StopListening(HWND page)
{
    SetWindowLongPtrA(page, DWLP_USER, 0);
}

void OnApply(GeneralDialog &settings, HWND page)
{
    ScrTrace("Dusklit: GeneralDlgProc: PSN_APPLY - remembering current values");
    // Every change went to the registry as it was made; what is left is to
    // make it the saved state and tell everyone.
    settings.Remember();
    settings.NotifyChanges(page, 1);
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
}

void OnReset(GeneralDialog &settings, HWND page)
{
    ScrTrace("Dusklit: GeneralDlgProc: PSN_RESET - reverting back");
    StopListening(page);
    if (!settings.Revert())
        return;
    settings.WriteRegistry();
    settings.NotifyChanges(page, 0);
}

// The sheet's notifications: a header in this process's memory, from the
// sheet itself. Another thread of the process, or a posted message, could
// hand over any number (the system does not carry this message between
// processes).
const NMHDR *FromTheSheet(HWND page, LPARAM lParam)
{
    const auto *header = reinterpret_cast<const NMHDR *>(lParam);
    if (!IsReadableMemory(lParam, sizeof *header) || header->hwndFrom != GetParent(page))
        return nullptr;
    return header;
}

BOOL OnNotify(HWND page, LPARAM lParam)
{
    GeneralDialog *settings = SettingsOf(page);
    if (!settings)
        return TRUE;
    const NMHDR *header = FromTheSheet(page, lParam);
    if (!header)
        return FALSE;
    switch (header->code) {
    case PSN_SETACTIVE:
        ScrTrace("Dusklit: GeneralDlgProc: PSN_SETACTIVE - nothing much");
        GiveThePageItsRoom(page);
        return TRUE;
    case PSN_KILLACTIVE:
        ScrTrace("Dusklit: GeneralDlgProc: PSN_KILLACTIVE - Validating. Everything is OK");
        SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
        return TRUE;
    case PSN_APPLY:
        OnApply(*settings, page);
        return TRUE;
    case PSN_RESET:
        OnReset(*settings, page);
        return TRUE;
    default:
        return FALSE;
    }
}

// Only a new value counts as a change. Focus moving between controls (the
// sheet opening, the user tabbing) must not store what the controls show:
// a delay of 90 seconds shown as 1 minute would be stored as 60 by merely
// opening the sheet.
bool IsValueChange(WORD code)
{
    return code == EN_CHANGE || code == CBN_SELCHANGE || code == BN_CLICKED;
}

BOOL OnCommand(HWND page, WPARAM wParam, HWND control)
{
    GeneralDialog *settings = SettingsOf(page);
    if (!control || !settings || !IsValueChange(HIWORD(wParam)))
        return FALSE;
    ControlChanged(settings, page);
    return TRUE;
}

// The system copies help information across from another process; from
// another thread of this one the number could be anything.
void OnHelp(LPARAM lParam)
{
    ScrTrace("Dusklit: GeneralDlgProc: WM_HELP");
    const auto *help = reinterpret_cast<const HELPINFO *>(lParam);
    if (!IsReadableMemory(lParam, sizeof *help))
        return;
    ShowGeneralPageHelp(static_cast<HWND>(help->hItemHandle), HELP_WM_HELP, help->iCtrlId == IDC_ACTIVE_CONFIG);
}

void OnContextMenu(HWND page, HWND target)
{
    ScrTrace("Dusklit: GeneralDlgProc: WM_CONTEXTMENU");
    ShowGeneralPageHelp(target, HELP_CONTEXTMENU, target == GetDlgItem(page, IDC_ACTIVE_CONFIG));
}

} // namespace

INT_PTR CALLBACK GeneralDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(page, lParam);
        return TRUE;
    case WM_DESTROY:
        // The settings belong to the configuration host, which deletes them
        // once the sheet has closed.
        ScrTrace("Dusklit: GeneralDlgProc: WM_DESTROY - tidying up");
        return TRUE;
    case WM_COMMAND:
        return OnCommand(page, wParam, reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        return OnNotify(page, lParam);
    case WM_HELP:
        OnHelp(lParam);
        return TRUE;
    case WM_NCDESTROY:
        ForgetInitialisation(page);
        return FALSE;
    case WM_CONTEXTMENU:
        OnContextMenu(page, reinterpret_cast<HWND>(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void SetUpControls(GeneralDialog *settings, HWND page)
{
    // Filling the controls makes them report changes; they are not the user's.
    settings->busy = 1;
    SetUpCorners(*settings, page);
    SetUpAgentText(page);
    if (CurrentPrefs.AlwaysRequirePassword || CurrentPrefs.NeverRequirePassword)
        SetUpPasswordPolicy(page);
    else
        SetUpPasswordDelay(*settings, page);
    SetUpSensitivity(*settings, page);
    SetUpOptionalBox(page, IDC_MUTE_SOUND, settings->muteSound, CurrentPrefs.Sound);
    SetUpOptionalBox(page, IDC_ACTIVE_CONFIG, settings->allowActiveConfig, CurrentPrefs.ActiveConfig);
    settings->busy = 0;
}

void ControlChanged(GeneralDialog *settings, HWND page)
{
    if (settings->busy == 1)
        return;
    bool changed = ReadCorners(*settings, page);
    changed = ReadPasswordDelay(*settings, page) || changed;
    changed = ReadSensitivity(*settings, page) || changed;
    if (CurrentPrefs.Sound)
        changed = ReadOptionalBox(settings->muteSound, page, IDC_MUTE_SOUND) || changed;
    if (CurrentPrefs.ActiveConfig)
        changed = ReadOptionalBox(settings->allowActiveConfig, page, IDC_ACTIVE_CONFIG) || changed;
    if (!changed)
        return;
    ScrTrace("Dusklit: GeneralDialog: a control has been changed. Doing registry stuff.");
    settings->WriteRegistry();
    settings->NotifyChanges(page, 0);
}

namespace {

// The General page's template names "MS Sans Serif", a face of bitmaps
// that grows only in steps: at 192 DPI its texts and the page grow by about
// half, while the monitor picture doubles and would reach into them. Where
// the picture is drawn at more than its own size, the page is made from a
// copy naming "MS Shell Dlg", the system's dialog face, which grows exactly
// with the display (its TrueType twin on Windows), so texts and picture
// keep their proportion. Elsewhere, and if the template cannot be read,
// the page is made from the template as it stands.
std::vector<unsigned char> GrowingGeneralTemplate(HWND host)
{
    if (PictureScaleOf(host) < 2)
        return {};
    HRSRC found = FindResourceA(ScrLibraryInstance, MAKEINTRESOURCEA(IDD_GENERAL_PAGE), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(ScrLibraryInstance, found) : nullptr;
    const void *bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return WithFontFace(static_cast<const unsigned char *>(bytes), SizeofResource(ScrLibraryInstance, found),
                        u"MS Shell Dlg");
}

} // namespace

void FillGeneralPage(PROPSHEETPAGEA_V1 &page, GeneralDialog *settings, HWND host,
                     std::vector<unsigned char> &templateCopy)
{
    templateCopy = GrowingGeneralTemplate(host);
    page = PROPSHEETPAGEA_V1();
    page.dwSize = PageRecordSize;
    page.dwFlags = 0;
    page.hInstance = ScrLibraryInstance;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_GENERAL_PAGE);
    if (!templateCopy.empty()) {
        page.dwFlags = PSP_DLGINDIRECT;
        page.pResource = reinterpret_cast<LPCDLGTEMPLATE>(templateCopy.data());
    }
    page.pfnDlgProc = GeneralDlgProc;
    page.lParam = reinterpret_cast<LPARAM>(settings);
}

