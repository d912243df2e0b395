// What dusklit.dll tells a dialog editor about the monitor control, so a
// saver's author can place one on a page and pick its styles by name.
#include <windows.h>
#include <custcntl.h>

#include <cstring>

#include "dusklit.h"
#include "library/library.h"
#include "monitor/monitor_resources.h"

namespace {

// The editor keeps a pointer to this table after the call, so it lives as
// long as the library. A Default entry masks its whole corner field; the
// Now and Never entries mask only their own bit.
CCSTYLEFLAGA MonitorStyleNames[] = {
    {MS_NOTHING, MS_TYPEMASK, const_cast<LPSTR>("MS_NOTHING")},
    {MS_PREVIEW, MS_TYPEMASK, const_cast<LPSTR>("MS_PREVIEW")},
    {MS_CORNERS, MS_TYPEMASK, const_cast<LPSTR>("MS_CORNERS")},
    {MS_CTOPLEFTDEF, MS_CTOPLEFTNOW | MS_CTOPLEFTNEV, const_cast<LPSTR>("MS_CTOPLEFTDEF")},
    {MS_CTOPLEFTNOW, MS_CTOPLEFTNOW, const_cast<LPSTR>("MS_CTOPLEFTNOW")},
    {MS_CTOPLEFTNEV, MS_CTOPLEFTNEV, const_cast<LPSTR>("MS_CTOPLEFTNEV")},
    {MS_CTOPRIGHTDEF, MS_CTOPRIGHTNOW | MS_CTOPRIGHTNEV, const_cast<LPSTR>("MS_CTOPRIGHTDEF")},
    {MS_CTOPRIGHTNOW, MS_CTOPRIGHTNOW, const_cast<LPSTR>("MS_CTOPRIGHTNOW")},
    {MS_CTOPRIGHTNEV, MS_CTOPRIGHTNEV, const_cast<LPSTR>("MS_CTOPRIGHTNEV")},
    {MS_CBOTRIGHTDEF, MS_CBOTRIGHTNOW | MS_CBOTRIGHTNEV, const_cast<LPSTR>("MS_CBOTRIGHTDEF")},
    {MS_CBOTRIGHTNOW, MS_CBOTRIGHTNOW, const_cast<LPSTR>("MS_CBOTRIGHTNOW")},
    {MS_CBOTRIGHTNEV, MS_CBOTRIGHTNEV, const_cast<LPSTR>("MS_CBOTRIGHTNEV")},
    {MS_CBOTLEFTDEF, MS_CBOTLEFTNOW | MS_CBOTLEFTNEV, const_cast<LPSTR>("MS_CBOTLEFTDEF")},
    {MS_CBOTLEFTNOW, MS_CBOTLEFTNOW, const_cast<LPSTR>("MS_CBOTLEFTNOW")},
    {MS_CBOTLEFTNEV, MS_CBOTLEFTNEV, const_cast<LPSTR>("MS_CBOTLEFTNEV")},
};

constexpr int MonitorStyleCount = sizeof MonitorStyleNames / sizeof MonitorStyleNames[0];
static_assert(MonitorStyleCount == 15, "every MS_* style has a name");

// A new control is a visible child showing a preview.
constexpr DWORD DefaultMonitorStyle = WS_CHILD | WS_VISIBLE | MS_PREVIEW;
// The type field and the four corner fields.
constexpr DWORD MonitorTypeMask = MS_TYPEMASK | MS_CORNERMASK;

void CopyName(char *to, int size, const char *name)
{
    lstrcpynA(to, name, size);
}

// The editor's style dialog for the control: nothing to edit here, the
// styles are picked from the table.
BOOL CALLBACK ScrMonitorStyle(HWND parent, LPCCSTYLEA)
{
    MessageBoxA(parent, "Function for changing style", "Custom control", MB_OK);
    return TRUE;
}

// The control draws a picture of fixed size, whatever its text.
INT CALLBACK ScrMonitorSizeToText(DWORD, DWORD, HFONT, LPSTR)
{
    return PictureSize.cx;
}

} // namespace

UINT WINAPI ScrMonitorControlInfo(void *controlInfo)
{
    if (!controlInfo)
        return 1;
    CCINFOA &info = *static_cast<CCINFOA *>(controlInfo);
    CopyName(info.szClass, CCHCCCLASS, DUSKLIT_MONITOR_CLASS);
    info.flOptions = CCF_NOTEXT;
    CopyName(info.szDesc, CCHCCDESC, "Monitor");
    info.cxDefault = static_cast<UINT>(PictureSize.cx);
    info.cyDefault = static_cast<UINT>(PictureSize.cy);
    info.flStyleDefault = DefaultMonitorStyle;
    info.flExtStyleDefault = 0;
    info.flCtrlTypeMask = MonitorTypeMask;
    std::memset(info.szTextDefault, 0, sizeof info.szTextDefault);
    info.cStyleFlags = MonitorStyleCount;
    info.aStyleFlags = MonitorStyleNames;
    info.lpfnStyle = ScrMonitorStyle;
    info.lpfnSizeToText = ScrMonitorSizeToText;
    info.dwReserved1 = 0;
    info.dwReserved2 = 0;
    return 1;
}
