// The creation record a saver window receives. The creator allocates it;
// DefSaverProc frees it at WM_CREATE, but only a record this framework
// allocated: a window that an application's hook created with a creation
// parameter of its own keeps it untouched.
#pragma once
#include "dusklit.h"

SaverCreateParams *NewSaverCreateParams(LONG mode);
// Frees the record when it is one of ours; ignores anything else.
void DeleteSaverCreateParams(void *record);
