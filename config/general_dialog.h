// The user's general screen-saver settings: the password delay, the mouse
// sensitivity, the four hot corners, mute sound and active configuration.
// They live in the registry under HKEY_CURRENT_USER; a GeneralDialog holds
// a current copy (what the controls show) and a saved copy (what a cancel
// brings back).
#pragma once
#include <windows.h>

#include "dusklit.h"
#include "monitor/corner_action.h"

class GeneralDialog {
public:
    // The defaults, then the stored settings in both copies.
    GeneralDialog();

    // Loads the stored values into the current copy; missing or oversized
    // values leave their fields as they were.
    void ReadRegistry();
    // Stores the current copy. 0 when the key's name did not load, the
    // error of creating the key, else the result of closing it.
    LONG WriteRegistry();
    // Saved copy := current copy.
    void Remember();
    // 0 when nothing changed since Remember; otherwise current := saved, 1.
    int Revert();
    // Tells the hot-corner providers (applied 0) or the whole system
    // (applied 1) that the settings changed, then hands them to the
    // configuration host, the parent of page's parent. Returns the host's
    // answer.
    LRESULT NotifyChanges(HWND page, int applied) const;
    // The current copy as it travels to other windows (size 24).
    ScrGeneralSettings Settings() const;

    // Nonzero when a hot-corner provider reports the System Agent running.
    static LONG DetectSystemAgent();

    LONG busy = 0;          // the General page is filling its controls
    BYTE corners[CornerCount] = {}; // SCR_CORNER_* (a CornerAction) by corner index
    BYTE savedCorners[CornerCount] = {};
    LONG muteSound = 0;
    LONG savedMuteSound = 0;
    LONG mouseThreshold = 0;
    LONG savedMouseThreshold = 0;
    LONG mouseThresholdIndex = 0;
    LONG savedMouseThresholdIndex = 0;
    LONG passwordDelay = 60;
    LONG savedPasswordDelay = 0;
    LONG passwordDelayIndex = 0;  // 0 seconds, 1 minutes
    LONG savedPasswordDelayIndex = 0;
    LONG allowActiveConfig = 0;
    LONG savedAllowActiveConfig = 0;
};
