// The General page of the configuration sheet: hot corners on a monitor
// picture, mouse sensitivity, password delay, mute sound and active
// configuration. Its PROPSHEETPAGE's lParam is the GeneralDialog it edits;
// every change of a control is stored and announced at once, OK makes the
// values the saved ones and Cancel brings the saved ones back.
#pragma once
#include <windows.h>
#include <prsht.h>

#include <vector>

class GeneralDialog;

// The page's record for a property sheet, editing settings (lParam). Where
// the monitor picture is drawn larger than its pixels, the page is made
// from a copy of its template kept in templateCopy, which must live as long
// as the sheet.
void FillGeneralPage(PROPSHEETPAGEA_V1 &page, GeneralDialog *settings, HWND host,
                     std::vector<unsigned char> &templateCopy);

INT_PTR CALLBACK GeneralDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Fills the page's controls from the settings' current copy.
void SetUpControls(GeneralDialog *settings, HWND page);
// Reads every control back into the current copy; when something changed,
// stores it and tells the providers and the configuration host.
void ControlChanged(GeneralDialog *settings, HWND page);
