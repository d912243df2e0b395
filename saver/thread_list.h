// The handles of the timer threads started during a run, and the wait for
// them when the run ends.
#pragma once
#include <windows.h>

// Makes ThreadListLock usable; safe to call from any thread, any number of
// times. A run calls it at its start; adding a handle calls it too, so a
// timer started outside a run finds the lock ready.
void ThreadListLockInit();
// Deletes the lock, once no thread can take it any more.
void ThreadListLockDelete();

// Adds a thread handle at the head of ThreadHandleList, under the lock.
void ThreadListAdd(HANDLE thread);

// Waits up to timeoutMs in all for every listed thread, then frees the
// list. False when some thread had not ended in time.
bool ThreadListWaitAndClear(DWORD timeoutMs);
