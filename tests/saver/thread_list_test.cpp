// The end-of-run wait covers every timer thread, more than the platform's
// 64-handle limit included, and tells when one outlived the limit.
#include <gtest/gtest.h>

#include <vector>

#include "saver/run_state.h"
#include "saver/thread_list.h"

namespace {

DWORD WINAPI SleepBriefly(void *milliseconds)
{
    Sleep(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(milliseconds)));
    return 0;
}

DWORD WINAPI WaitForEvent(void *event)
{
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

class ThreadList : public ::testing::Test {
protected:
    void SetUp() override
    {
        ThreadListLockInit();
        ThreadHandleList = nullptr;
    }
    void TearDown() override { ThreadListLockDelete(); }

    static HANDLE Start(LPTHREAD_START_ROUTINE routine, void *argument)
    {
        HANDLE thread = CreateThread(nullptr, 0, routine, argument, 0, nullptr);
        EXPECT_NE(thread, nullptr);
        return thread;
    }
};

TEST_F(ThreadList, WaitsForMoreThanSixtyFourThreads)
{
    std::vector<HANDLE> started;
    for (int i = 0; i < 150; ++i) {
        // Duplicates stay with the test, to check the threads really ended.
        HANDLE thread = Start(SleepBriefly, reinterpret_cast<void *>(static_cast<ULONG_PTR>(50 + i % 7)));
        HANDLE mine = nullptr;
        DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &mine, 0, FALSE, DUPLICATE_SAME_ACCESS);
        started.push_back(mine);
        ThreadListAdd(thread);
    }
    EXPECT_TRUE(ThreadListWaitAndClear(10000));
    EXPECT_EQ(ThreadHandleList, nullptr);
    for (HANDLE thread : started) {
        EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
        CloseHandle(thread);
    }
}

TEST_F(ThreadList, ReportsAThreadThatOutlivesTheLimit)
{
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (int i = 0; i < 70; ++i)
        ThreadListAdd(Start(SleepBriefly, reinterpret_cast<void *>(static_cast<ULONG_PTR>(1))));
    HANDLE stuck = Start(WaitForEvent, release);
    HANDLE mine = nullptr;
    DuplicateHandle(GetCurrentProcess(), stuck, GetCurrentProcess(), &mine, 0, FALSE, DUPLICATE_SAME_ACCESS);
    ThreadListAdd(stuck);

    EXPECT_FALSE(ThreadListWaitAndClear(300));
    EXPECT_EQ(ThreadHandleList, nullptr);

    SetEvent(release);
    EXPECT_EQ(WaitForSingleObject(mine, 5000), WAIT_OBJECT_0);
    CloseHandle(mine);
    CloseHandle(release);
}

TEST_F(ThreadList, EmptyListNeedsNoWait)
{
    EXPECT_TRUE(ThreadListWaitAndClear(0));
}

} // namespace
