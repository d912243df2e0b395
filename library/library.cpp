#include "library/library.h"

#include "library/install_check.h"
#include "monitor/monitor_resources.h"
#include "saver/debug_output.h"
#include "saver/prefs.h"

// Stopped until the first framework call (or the loader) starts it.
BOOL LibraryStarted = FALSE;

namespace {

// Outside the loadable library the check has nothing to refuse: the
// program that carries the framework may live anywhere. In the library a
// wrong place is reported and start-up refused.
bool InstallDirectoryAccepted()
{
    char file[InstallPathSize] = {};
    char directory[InstallPathSize] = {};
    GetModuleFileNameA(ScrLibraryInstance, file, InstallPathSize - 1);
    GetWindowsDirectoryA(directory, InstallPathSize - 1);
    char expected[InstallPathSize];
    if (InstallPathMatches(file, directory, expected))
        return true;
    char text[InstallMessageSize];
    FormatInstallMessage(ScrLibraryInstance, expected, text);
    if (!LoadedAsLibrary)
        return true;
    MessageBoxA(nullptr, text, "Dusklit", MB_OK);
    return false;
}

} // namespace

void ScrEnsureStarted()
{
    if (LibraryStarted || LoadedAsLibrary || ScrLibraryInstance)
        return;
    ScrLibraryInstance = GetModuleHandleA(nullptr);
    ScrLibraryStartup();
}

BOOL WINAPI ScrLibraryEntry(HINSTANCE instance, DWORD reason, LPVOID)
{
    LoadedAsLibrary = TRUE;
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        ScrLibraryInstance = instance;
        return ScrLibraryStartup();
    case DLL_PROCESS_DETACH:
        return ScrLibraryShutdown();
    }
    return FALSE;
}

BOOL ScrLibraryStartup()
{
    // Set first, so a start-up refused half-way still counts as started
    // and the shutdown frees whatever was made.
    LibraryStarted = TRUE;
    if (!InstallDirectoryAccepted())
        return FALSE;
    ScrDefaultPrefs();
    LoadMonitorResources();
    return ScrRegisterControls();
}

BOOL ScrLibraryShutdown()
{
    ScrTrace("Dusklit: closing process...");
    if (!LibraryStarted) {
        ScrTrace("nothing to close!");
        return TRUE;
    }
    FreeMonitorResources();
    LibraryStarted = FALSE;
    return ScrUnregisterControls();
}

void ScrStopIfStarted()
{
    if (LibraryStarted)
        ScrLibraryShutdown();
}
