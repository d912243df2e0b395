// The framework's public calls on the preferences. They start the library
// on first use, so they live apart from the record itself, which the
// library's start-up fills with the defaults.
#include "saver/prefs.h"

#include <cstdlib>

#include "library/startup.h"
#include "saver/debug_output.h"
#include "saver/run_state.h"

namespace {

void ReportPrefsError(const char *text)
{
    ScrTrace(text);
    ScrDebugMessageBox(nullptr, text, "Prefs error");
}

} // namespace

ScrPrefs *WINAPI ScrGetPrefs(void)
{
    ScrEnsureStarted();
    ScrDefaultPrefs();
    auto *copy = static_cast<ScrPrefs *>(std::calloc(1, sizeof(ScrPrefs)));
    if (!copy)
        return nullptr;
    copy->Size = SCRPREFS_SIZE;
    ScrCopyPrefs(*copy, CurrentPrefs);
    return copy;
}

void WINAPI ScrSetPrefs(ScrPrefs *prefs)
{
    ScrEnsureStarted();
    if (RunningFlag) {
        ReportPrefsError("You are not allowed to set prefs while screensaver is running");
        return;
    }
    if (!prefs) {
        ReportPrefsError("ScrSetPrefs called with NULL preferences");
        return;
    }
    ScrCopyPrefs(CurrentPrefs, *prefs);
    if (CurrentPrefs.AlwaysRequirePassword && CurrentPrefs.NeverRequirePassword)
        ReportPrefsError("You have set always-require-password AND never-require-password, which is silly!");
    std::free(prefs);
}
