// Inside the configuration dialog: the hidden host dialog, the property
// sheet it runs, and the relay of change notices from the pages to the
// owner window and to the previews shown on the sheet.
#pragma once
#include <windows.h>
#include <prsht.h>

#include <cstddef>

#include "dusklit.h"

// What DoConfigDialog hands the host as its creation parameter; the host
// keeps the pointer in GWLP_USERDATA. Lives on DoConfigDialog's stack,
// issued for as long as the host runs.
struct ConfigHostRecord {
    LONG notifyOwner; // nonzero: relay every change to the owner window
};

// The host's record; null when the host's GWLP_USERDATA holds anything
// but the record DoConfigDialog issued (any program can write the slot).
const ConfigHostRecord *HostRecordOf(HWND host);

// The host dialog (template 3600). Its DWLP_USER slot holds the sheet's
// own window procedure once SheetCallback has subclassed the sheet; the
// procedure is issued, and SheetSubclassProc calls only an issued one.
INT_PTR CALLBACK ConfigHostDlgProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam);

// Hands a page's change notice on, as the notice's route bits and the
// host's record allow; a notice the framework did not issue is not read.
void RelayChangeNotice(HWND host, const ScrChangeNotice *notice);

// The requests of the property sheet (PSM_SETCURSEL to the newest,
// PSM_SETBUTTONTEXT) and, in the same numbers, of the up-down control.
constexpr UINT FirstSheetRequest = WM_USER + 101;
constexpr UINT LastSheetRequest = WM_USER + 140;

// The sheet's callback: adds "&About" to the sheet's system menu and puts
// SheetSubclassProc in front of the sheet's procedure. Returns 0.
int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM lParam);
LRESULT CALLBACK SheetSubclassProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam);

// The saver's own page (template 2003): hides the template's own OK and
// Cancel, then leaves every message to the saver's ConfigDialogProc.
INT_PTR CALLBACK SaverPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The sheet's pages in their first form (40 bytes in a 32-bit program, 72
// in a 64-bit one): the General page, and room for the saver's page that
// an executor may add.
constexpr int SheetPageSlots = 2;
using SheetPages = PROPSHEETPAGEA_V1[SheetPageSlots];
// The first forms of the page record and the sheet header: 40 bytes each
// in a 32-bit program, 72 in a 64-bit one, where their pointers and
// handles are twice as wide.
constexpr DWORD PageRecordSize = sizeof(void *) == 4 ? 40 : 72;
constexpr DWORD SheetHeaderSize = sizeof(void *) == 4 ? 40 : 72;
static_assert(sizeof(PROPSHEETPAGEA_V1) == PageRecordSize, "page records keep their first form");
static_assert(offsetof(PROPSHEETHEADERA, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK) == SheetHeaderSize,
              "the sheet header's first form ends with its callback");
