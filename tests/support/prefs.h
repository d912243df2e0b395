// Changing the running saver's preferences the way a saver does, through
// the public calls (the first call starts the library).
#pragma once
#include "dusklit.h"

// Sets one preference: SetPref(&ScrPrefs::Debug, 1).
void SetPref(LONG ScrPrefs::*field, LONG value);
