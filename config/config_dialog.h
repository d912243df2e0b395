// The configuration dialog: a hidden host dialog that runs the property
// sheet with the General page (and the saver's own page, if it has one).
#pragma once
#include <windows.h>
#include <prsht.h>

// Runs the configuration for owner; with notifyOwner, every change is sent
// to the owner (a running saver) as it happens.
INT_PTR DoConfigDialog(HWND owner, BOOL notifyOwner);

// The property-sheet and About runners of the three entries.
INT_PTR OwnClassExecuteUserDialog(HWND configHost, PROPSHEETHEADERA *header);
INT_PTR CallbackExecuteUserDialog(HWND configHost, PROPSHEETHEADERA *header);
INT_PTR HostExecuteUserDialog(HWND configHost, PROPSHEETHEADERA *header);
INT_PTR OwnClassExecuteAboutDialog(HWND owner);
INT_PTR CallbackExecuteAboutDialog(HWND owner);
INT_PTR HostExecuteAboutDialog(HWND owner);
