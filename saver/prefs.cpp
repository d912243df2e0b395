#include "saver/prefs.h"

#include <cstdlib>
#include <cstring>

#include "library/library.h"
#include "saver/debug_output.h"
#include "saver/run_state.h"

ScrPrefs CurrentPrefs = {};
static bool DefaultsInstalled = false;

namespace {

const char PrefsErrorCaption[] = "Prefs error";

// Copies a text field with the record's limit: at most 255 characters and
// the terminating zero, even when the source fills its buffer unterminated.
void CopyText(char (&to)[256], const char (&from)[256])
{
    std::size_t n = 0;
    while (n < sizeof to - 1 && from[n])
        ++n;
    std::memcpy(to, from, n);
    to[n] = '\0';
}

// Every field but Size.
void CopyFields(ScrPrefs &to, const ScrPrefs &from)
{
    to.ActiveConfig = from.ActiveConfig;
    to.Sound = from.Sound;
    to.Debug = from.Debug;
    to.DebugWindow = from.DebugWindow;
    to.NoAbout = from.NoAbout;
    to.NoPreviewRelay = from.NoPreviewRelay;
    to.NoTimers = from.NoTimers;
    CopyText(to.Text1, from.Text1);
    CopyText(to.Text2, from.Text2);
    to.AlwaysRequirePassword = from.AlwaysRequirePassword;
    to.NeverRequirePassword = from.NeverRequirePassword;
    to.ActiveConfigPassword = from.ActiveConfigPassword;
}

void ReportPrefsError(const char *text)
{
    ScrTrace(text);
    ScrDebugMessageBox(nullptr, text, PrefsErrorCaption);
}

} // namespace

void ScrDefaultPrefs()
{
    if (DefaultsInstalled)
        return;
    std::memset(&CurrentPrefs, 0, sizeof CurrentPrefs);
    CurrentPrefs.Sound = 1;
    CurrentPrefs.ActiveConfigPassword = 1;
    DefaultsInstalled = true;
}

ScrPrefs *WINAPI ScrGetPrefs(void)
{
    ScrEnsureStarted();
    ScrDefaultPrefs();
    auto *copy = static_cast<ScrPrefs *>(std::calloc(1, sizeof(ScrPrefs)));
    if (!copy)
        return nullptr;
    copy->Size = SCRPREFS_SIZE;
    CopyFields(*copy, CurrentPrefs);
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
    CopyFields(CurrentPrefs, *prefs);
    if (CurrentPrefs.AlwaysRequirePassword && CurrentPrefs.NeverRequirePassword)
        ReportPrefsError("You have set always-require-password AND never-require-password, which is silly!");
    std::free(prefs);
}
