// What this process's framework handed out itself. Any process on the
// desktop can send or post our windows a message with any number in it,
// and can write the slots of our windows (GWLP_USERDATA, DWLP_USER) and
// their properties; such a number is used as a pointer only when the
// framework issued that very pointer, for that purpose, and it is still
// alive. Everything else is ignored without a read.
#pragma once
#include <windows.h>

#include <cstddef>

// What an issued pointer is for. A pointer issued for one purpose is not
// accepted for another.
enum class Issued {
    SettingsBlock,       // a ScrGeneralSettings carried by SCRM_SETTINGSCHANGED
    ChangeNotice,        // a ScrChangeNotice sent to the configuration host
    HostRecord,          // the configuration host's record (its GWLP_USERDATA)
    GeneralSettings,     // the GeneralDialog a General page edits (its DWLP_USER)
    SheetProcedure,      // the sheet's own window procedure (the host's DWLP_USER)
    CreationRecord,      // a SaverCreateParams while its creator waits for the window
    InitialisedDialog,   // a dialog (by handle) that has had its WM_INITDIALOG
    ConfigurationHost,   // a configuration host dialog (by handle) while it runs
};

// Issuing the same pointer twice needs two withdrawals.
void IssuePointer(const void *pointer, Issued purpose);
// True when the pointer was issued for the purpose (and is now withdrawn).
bool WithdrawPointer(const void *pointer, Issued purpose);
bool WasIssued(const void *pointer, Issued purpose);

// Issued for as long as the scope lives: around a send, the receivers
// can use the pointer until the send returns.
class IssuedScope {
public:
    IssuedScope(const void *pointer, Issued purpose);
    ~IssuedScope();
    IssuedScope(const IssuedScope &) = delete;
    IssuedScope &operator=(const IssuedScope &) = delete;

private:
    const void *pointer_;
    Issued purpose_;
};

// The window procedure of a dialog takes WM_INITDIALOG once: the first
// call marks the dialog and answers true, every later one false (a
// WM_INITDIALOG with any lParam can be posted or sent to an existing
// dialog). WM_NCDESTROY forgets the mark.
bool FirstInitialisation(HWND dialog);
void ForgetInitialisation(HWND dialog);

// For a structure the system hands a window procedure (a notification's
// header, help information, a window position): whether size bytes at the
// address are committed memory of this process that can be read, or also
// written. Another thread of the process, or a posted message, can hand
// over any number instead.
bool IsReadableMemory(LPARAM address, std::size_t size);
bool IsWritableMemory(LPARAM address, std::size_t size);

// Whether the message being handled was sent by another thread (or
// another process), directly or as the cause of what this thread is doing
// now: the flag stays set for everything handled inside such a send.
bool SentByAnotherThread();
