#include "tests/support/prefs.h"

void SetPref(LONG ScrPrefs::*field, LONG value)
{
    ScrPrefs *prefs = ScrGetPrefs();
    prefs->*field = value;
    ScrSetPrefs(prefs);
}
