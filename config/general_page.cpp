// First form of the General page: it shows its template and changes
// nothing yet.
#include "config/general_page.h"

INT_PTR CALLBACK GeneralDlgProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}
