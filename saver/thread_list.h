// The handles of the timer threads started during a run, and the wait for
// them when the run ends.
#pragma once
#include <windows.h>

// Adds a thread handle at the head of ThreadHandleList, under the lock.
void ThreadListAdd(HANDLE thread);

// Waits up to timeoutMs in all for every listed thread, then frees the
// list. False when some thread had not ended in time.
bool ThreadListWaitAndClear(DWORD timeoutMs);
