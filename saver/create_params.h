// The creation record a saver window receives. The creator allocates it
// and hands it to CreateWindowExA, an application's CreateWindowHook or a
// host window; DefSaverProc frees it at WM_CREATE. A record is the
// framework's only while its creator waits for that very creation: once
// the call returns, the record is withdrawn, so a record that a hook or
// host took over (created its window with another parameter, then freed
// or reused the memory) is never taken for the application's own
// parameter that later lands at the same address.
#pragma once
#include "dusklit.h"

SaverCreateParams *NewSaverCreateParams(LONG mode);
// Frees the record when it is one that a creator is waiting on right now;
// ignores anything else.
void DeleteSaverCreateParams(void *record);

// How the creator's call went, for what becomes of a record that no
// DefSaverProc took.
enum class CreationOutcome {
    HandedOver, // a hook or host had it: what it did with it is its own choice
    Created,    // the framework's own CreateWindowExA made the window
    Failed,     // the framework's own CreateWindowExA made nothing
};
// Called by the creator when the call that carried the record has
// returned: withdraws it, and frees it when no window ever came of it.
void ReleaseSaverCreateParams(SaverCreateParams *record, CreationOutcome outcome);
