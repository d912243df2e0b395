// The run state of the framework entries: which entry runs, with which
// hooks and arguments, and the handles of the timer threads it started.
// Written only on the entry's thread, before and after the mode runs.
#pragma once
#include "dusklit.h"

// The five run hooks an entry installs, in this order.
struct RunHooks {
    // (parent, inside a monitor control) -> preview window or null
    HWND (*CreatePreviewWindow)(HWND parent, BOOL insideMonitor);
    // () -> full-screen saver window or null
    HWND (*CreateSaverWindow)();
    // (configuration host, sheet header) -> the sheet's result
    INT_PTR (*ExecuteUserDialog)(HWND configHost, PROPSHEETHEADERA *header);
    // (owner) -> the About box's result
    INT_PTR (*ExecuteAboutDialog)(HWND owner);
    // (parent) -> the password change's result
    INT_PTR (*ChangePassword)(HWND parent);
};

// What each entry was given, kept for the hooks.
struct EntryArguments {
    // ScrMain
    WNDPROC SaverProc = nullptr;
    DLGPROC ConfigDialogProc = nullptr;
    ScrInitCallback InitCallback = nullptr;
    LPARAM Value = 0;
    // ScrMainCallback
    ScrCreateWindowHook CreateWindowHook = nullptr;
    ScrPropertySheetHook PropertySheetHook = nullptr;
    ScrAboutHook AboutHook = nullptr;
    ScrChangePasswordHook ChangePasswordHook = nullptr;
    // ScrMainHost
    HWND HostWindow = nullptr;
};

struct ThreadHandleNode {
    HANDLE Thread;
    ThreadHandleNode *Next;
};

extern LONG RunningFlag;            // 1 while ScrRun's mode runs
extern HINSTANCE ModuleInstance;    // the instance given to the entry
extern RunHooks HookTable;
extern EntryArguments EntryArgs;
extern bool OwnAboutDialog;         // ScrMain found dialog 2004 in the saver's module
extern ThreadHandleNode *ThreadHandleList; // newest first
extern CRITICAL_SECTION ThreadListLock;    // guards ThreadHandleList (not with NoTimers)

// Where the run modes read the command line: the process's own, unless a
// test points it at a line of its choosing.
extern const char *(*CommandLineSource)();
