#include "saver/thread_list.h"

#include <vector>

#include "saver/run_state.h"

namespace {

enum LockState : LONG { LockAbsent = 0, LockStarting = 1, LockReady = 2 };
LONG ThreadListLockState = LockAbsent;

} // namespace

void ThreadListLockInit()
{
    if (InterlockedCompareExchange(&ThreadListLockState, LockStarting, LockAbsent) == LockAbsent) {
        InitializeCriticalSection(&ThreadListLock);
        InterlockedExchange(&ThreadListLockState, LockReady);
        return;
    }
    while (InterlockedCompareExchange(&ThreadListLockState, LockReady, LockReady) != LockReady)
        Sleep(0);
}

void ThreadListLockDelete()
{
    if (InterlockedCompareExchange(&ThreadListLockState, LockAbsent, LockReady) == LockReady)
        DeleteCriticalSection(&ThreadListLock);
}

void ThreadListAdd(HANDLE thread)
{
    ThreadListLockInit();
    auto *node = new ThreadHandleNode{thread, nullptr};
    EnterCriticalSection(&ThreadListLock);
    node->Next = ThreadHandleList;
    ThreadHandleList = node;
    LeaveCriticalSection(&ThreadListLock);
}

namespace {

std::vector<HANDLE> CopyHandles()
{
    std::vector<HANDLE> handles;
    EnterCriticalSection(&ThreadListLock);
    for (ThreadHandleNode *node = ThreadHandleList; node; node = node->Next)
        handles.push_back(node->Thread);
    LeaveCriticalSection(&ThreadListLock);
    return handles;
}

// The platform waits for at most MAXIMUM_WAIT_OBJECTS handles at a time,
// so a run that started more threads is awaited in batches that share one
// deadline.
bool WaitForAll(const std::vector<HANDLE> &handles, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (std::size_t first = 0; first < handles.size(); first += MAXIMUM_WAIT_OBJECTS) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        const std::size_t count = handles.size() - first < MAXIMUM_WAIT_OBJECTS
                                      ? handles.size() - first
                                      : MAXIMUM_WAIT_OBJECTS;
        DWORD result = WaitForMultipleObjects(static_cast<DWORD>(count), &handles[first], TRUE, left);
        if (result == WAIT_TIMEOUT)
            return false;
    }
    return true;
}

void FreeNodes()
{
    EnterCriticalSection(&ThreadListLock);
    ThreadHandleNode *node = ThreadHandleList;
    ThreadHandleList = nullptr;
    LeaveCriticalSection(&ThreadListLock);
    while (node) {
        ThreadHandleNode *next = node->Next;
        CloseHandle(node->Thread);
        delete node;
        node = next;
    }
}

} // namespace

bool ThreadListWaitAndClear(DWORD timeoutMs)
{
    if (!ThreadHandleList)
        return true;
    bool allEnded = WaitForAll(CopyHandles(), timeoutMs);
    FreeNodes();
    return allEnded;
}
