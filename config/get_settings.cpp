// ScrGetSettings: a saver's way to learn the user's stored General settings.
#include "config/general_dialog.h"
#include "library/startup.h"

void WINAPI ScrGetSettings(ScrGeneralSettings *settings)
{
    ScrEnsureStarted();
    if (!settings)
        return;
    // A fresh object reads the registry; its current copy is what is stored.
    const GeneralDialog stored;
    const ScrGeneralSettings current = stored.Settings();
    for (int i = 0; i < CornerCount; ++i)
        settings->corners[i] = current.corners[i];
    settings->muteSound = current.muteSound;
    settings->mouseThreshold = current.mouseThreshold;
    settings->passwordDelay = current.passwordDelay;
    settings->allowActiveConfig = current.allowActiveConfig;
}
