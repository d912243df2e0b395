#include "saver/prefs.h"

#include <cstring>

#include "saver/resource_texts.h"

ScrPrefs CurrentPrefs = {};
static bool DefaultsInstalled = false;

namespace {

// Copies a text field with the record's limit: at most 255 bytes and the
// terminating zero, even when the source fills its buffer unterminated,
// cut between whole characters where the code page is UTF-8.
void CopyText(char (&to)[256], const char (&from)[256])
{
    std::size_t length = 0;
    while (length < sizeof from && from[length])
        ++length;
    const std::size_t kept = KeptLength(from, length, sizeof to - 1);
    std::memcpy(to, from, kept);
    to[kept] = '\0';
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

void ScrCopyPrefs(ScrPrefs &to, const ScrPrefs &from)
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
