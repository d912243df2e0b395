// The timer thread as a saver sees it: ticks a period apart measured from
// the start of each tick, continuous ticks, stopping by answering -1 or
// not at all, prompt stops, settings changes cutting a wait short, no
// threads at all when timers are off, and a thread that only the
// framework ends. Time limits, and the upper bounds of measured periods,
// follow the whole-program tests' time scale (driver::Limit).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "saver/def_saver_proc.h"
#include "saver/run_state.h"
#include "saver/thread_list.h"
#include "saver/timer.h"
#include "tests/driver/program_driver.h"
#include "tests/saver/saver_harness.h"
#include "tests/support/clock.h"
#include "tests/support/trace_capture.h"

using namespace harness;

namespace {

// A saver that draws for drawMs on each tick and answers period; with
// answer false it leaves SCRM_TIMER to DefSaverProc.
struct TickingSaver {
    LRESULT period = 40;
    DWORD drawMs = 0;
    bool answer = true;
    std::vector<double> starts;

    SaverHook Hook()
    {
        return [this](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message != SCRM_TIMER)
                return std::nullopt;
            starts.push_back(NowMs());
            if (drawMs)
                Sleep(drawMs);
            if (!answer)
                return std::nullopt;
            return period;
        };
    }

    // Pumps until count ticks arrived or limitMs (scaled) passed.
    bool WaitForTicks(std::size_t count, DWORD limitMs)
    {
        limitMs = driver::Limit(limitMs);
        const DWORD start = GetTickCount();
        while (starts.size() < count && GetTickCount() - start < limitMs)
            Pump(10);
        return starts.size() >= count;
    }

    double MedianInterval() const
    {
        std::vector<double> intervals;
        for (std::size_t i = 1; i < starts.size(); ++i)
            intervals.push_back(starts[i] - starts[i - 1]);
        std::sort(intervals.begin(), intervals.end());
        return intervals.empty() ? 0 : intervals[intervals.size() / 2];
    }
};

std::size_t ListedThreads()
{
    ThreadListLockInit();
    EnterCriticalSection(&ThreadListLock);
    std::size_t count = 0;
    for (ThreadHandleNode *node = ThreadHandleList; node; node = node->Next)
        ++count;
    LeaveCriticalSection(&ThreadListLock);
    return count;
}

PrefsChange WithTimers()
{
    PrefsChange change;
    change.NoTimers = 0;
    return change;
}

// Ticks a period apart from the start of each: counted from the end of
// drawing, the quick case would be 55 ms apart; when drawing outlasts the
// period, the next tick follows after only a yield, not another period.
TEST(Timer, TicksArePeriodsApartMeasuredFromTheStartOfEachTick)
{
    PrefsScope prefs(WithTimers());
    const struct {
        const char *what;
        DWORD drawMs;
        std::size_t ticks;
        double least;  // the median interval at least
        DWORD most;    // and at most, before scaling
    } cases[] = {
        {"drawing 15 ms of a 40 ms period", 15, 25, 36.0, 50},
        {"drawing 60 ms of a 40 ms period", 60, 15, 58.0, 90},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TickingSaver ticking;
        ticking.period = 40;
        ticking.drawMs = c.drawMs;
        TestSaver saver(ticking.Hook());
        ASSERT_TRUE(ticking.WaitForTicks(c.ticks, 20000));
        EXPECT_GE(ticking.MedianInterval(), c.least);
        EXPECT_LE(ticking.MedianInterval(), driver::Limit(c.most));
    }
}

TEST(Timer, APeriodOfZeroTicksContinuously)
{
    PrefsScope prefs(WithTimers());
    TickingSaver busy;
    busy.period = 0;
    TestSaver saver(busy.Hook());
    ASSERT_TRUE(busy.WaitForTicks(1, 10000));
    const std::size_t before = busy.starts.size();
    Pump(driver::Limit(300));
    // A 10 ms timer would manage 30 (times the scale).
    EXPECT_GT(busy.starts.size() - before, 60u);
}

TEST(Timer, AnUnansweredTickStopsTheTicksAndTheThread)
{
    PrefsScope prefs(WithTimers());
    TraceCapture traces;
    TickingSaver silent;
    silent.answer = false;
    TestSaver saver(silent.Hook());
    ASSERT_TRUE(silent.WaitForTicks(1, 10000));
    ASSERT_TRUE(saver.Alive());
    HANDLE thread = ThreadHandleList ? ThreadHandleList->Thread : nullptr;
    ASSERT_NE(thread, nullptr);
    // The had-enough comes as a posted message: this thread must pump to
    // see it, however soon after the first tick the thread posts it.
    EXPECT_TRUE(PumpingWaitUntil([thread] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; },
                                 driver::Limit(5000)))
        << "the had-enough handler stops the thread";
    Pump(100);
    EXPECT_EQ(silent.starts.size(), 1u);
    EXPECT_TRUE(traces.Contains(std::string(78, '*')));
    EXPECT_TRUE(traces.Contains("** SCRM_TIMER: being turned off. If you want it to keep going, you must return its period."));
    EXPECT_TRUE(traces.Contains("Thread: infinite delay specified, so posting a 'had enough'"));
    EXPECT_TRUE(traces.Contains("SCRINTERNAL_HADENOUGH: closing down thread..."));
    EXPECT_TRUE(traces.Contains("Thread coming to an end. Deleting threaddata"));

    // Started again after the stop, it ticks again.
    ScrStartTimer(saver.Handle());
    EXPECT_TRUE(silent.WaitForTicks(2, 10000));

    traces.Clear();
    DestroyWindow(saver.Handle());
    EXPECT_TRUE(traces.Contains("ScrStopTimer: the timer had already been destroyed. This isn't necessarily bad."));
}

TEST(Timer, StartingTwiceMakesOneThread)
{
    PrefsScope prefs(WithTimers());
    TraceCapture traces;
    TickingSaver ticking;
    TestSaver saver(ticking.Hook());
    ASSERT_TRUE(ticking.WaitForTicks(1, 10000));
    const std::size_t threads = ListedThreads();
    ScrStartTimer(saver.Handle());
    EXPECT_EQ(ListedThreads(), threads);
    EXPECT_TRUE(traces.Contains("ScrStartTimer: cannot restart, because one was already there!"));
}

TEST(Timer, AStopEndsTheThreadPromptlyEvenDuringALongPeriod)
{
    PrefsScope prefs(WithTimers());
    TickingSaver patient;
    patient.period = 5000;
    TestSaver saver(patient.Hook());
    ASSERT_TRUE(patient.WaitForTicks(1, 10000));
    ThreadData *timer = GetTimerProp(saver.Handle());
    ASSERT_NE(timer, nullptr);
    HANDLE thread = timer->thread;
    ScrStopTimer(saver.Handle());
    EXPECT_EQ(GetTimerProp(saver.Handle()), nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, driver::Limit(1000)), WAIT_OBJECT_0);
    Pump(100);
    EXPECT_EQ(patient.starts.size(), 1u);
}

// Anyone can post the timer thread a message (WM_QUIT too) and the window
// a had-enough, and replace or remove the window's timer property: the
// thread goes on ticking with the same record, a settings change still
// wakes it, and a stop still ends it at once.
TEST(Timer, OnlyTheFrameworkEndsTheThread)
{
    PrefsScope prefs(WithTimers());
    TickingSaver patient;
    patient.period = driver::Limit(8000);
    TestSaver saver(patient.Hook());
    ASSERT_TRUE(patient.WaitForTicks(1, 10000));
    ThreadData *timer = GetTimerProp(saver.Handle());
    ASSERT_NE(timer, nullptr);
    HANDLE thread = timer->thread;
    TraceCapture traces;
    for (UINT message : {UINT(WM_QUIT), UINT(WM_USER), UINT(WM_TIMER), UINT(WM_QUIT)})
        EXPECT_TRUE(PostThreadMessageA(timer->threadId, message, 0, 0));
    // The dropped messages are traced with their parameters whole, as wide
    // as the program's.
    EXPECT_TRUE(PostThreadMessageA(timer->threadId, WM_APP, ~WPARAM(0), -2));
    PostMessageA(saver.Handle(), SCRM_INTERNAL, SCRINTERNAL_HADENOUGH, 0);
    SetPropA(saver.Handle(), TimerPropName, reinterpret_cast<HANDLE>(0x10));
    Pump(driver::Limit(500));
    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the thread goes on";
    EXPECT_EQ(GetTimerProp(saver.Handle()), timer);
    const std::string all = sizeof(WPARAM) == 8 ? "ffffffffffffffff" : "ffffffff";
    EXPECT_TRUE(traces.Contains("Thread message: msg=8000 wParam=" + all + " lParam=" + all.substr(1) + "e"));
    EXPECT_TRUE(traces.Contains("Thread message: msg=400 wParam=0 lParam=0"));

    SendGeneralSettings(saver.Handle(), 200, 0, 0);
    EXPECT_TRUE(patient.WaitForTicks(2, 4000)) << "woken with the same record";
    RemovePropA(saver.Handle(), TimerPropName);
    ScrStopTimer(saver.Handle());
    EXPECT_EQ(WaitForSingleObject(thread, driver::Limit(1000)), WAIT_OBJECT_0);
}

TEST(Timer, DestroyingTheWindowEndsItsThread)
{
    PrefsScope prefs(WithTimers());
    TickingSaver ticking;
    ticking.period = 5000;
    TestSaver saver(ticking.Hook());
    ASSERT_TRUE(ticking.WaitForTicks(1, 10000));
    HANDLE thread = GetTimerProp(saver.Handle())->thread;
    DestroyWindow(saver.Handle());
    EXPECT_EQ(WaitForSingleObject(thread, driver::Limit(1000)), WAIT_OBJECT_0);
}

TEST(Timer, ASettingsChangeBringsTheNextTickAtOnce)
{
    PrefsScope prefs(WithTimers());
    TickingSaver patient;
    patient.period = driver::Limit(8000);
    TestSaver saver(patient.Hook());
    ASSERT_TRUE(patient.WaitForTicks(1, 10000));
    const double changed = NowMs();
    SendGeneralSettings(saver.Handle(), 200, 0, 0);
    ASSERT_TRUE(patient.WaitForTicks(2, 4000)) << "the 8 s wait was not cut short";
    EXPECT_LT(patient.starts[1] - changed, driver::Limit(4000));
}

TEST(Timer, WithTimersOffNothingStarts)
{
    PrefsScope prefs({}); // NoTimers
    TraceCapture traces;
    const std::size_t threads = ListedThreads();
    TickingSaver ticking;
    TestSaver saver(ticking.Hook());
    Pump(300);
    EXPECT_TRUE(ticking.starts.empty());
    ScrStartTimer(saver.Handle());
    ScrStopTimer(saver.Handle());
    Pump(100);
    EXPECT_TRUE(ticking.starts.empty());
    EXPECT_EQ(ListedThreads(), threads);
    EXPECT_TRUE(traces.Contains(
        "ScrStartTimer: Timers have been turned off in the prefs: they are not being initialized"));
    EXPECT_TRUE(traces.Contains("ScrStopTimer: Timers have been turned off: you can not destroy them."));
    EXPECT_EQ(SendMessageA(saver.Handle(), SCRM_INTERNAL, 0, 0), 0) << "a tick with timers off answers 0";
}

TEST(Timer, StopAndStartOnWindowsThatCannotHaveATimer)
{
    PrefsScope prefs(WithTimers());
    TraceCapture traces;
    ScrStopTimer(nullptr);
    EXPECT_TRUE(traces.Contains("ScrStopTimer: hwnd is null!"));

    // A window that never went through DefSaverProc has nowhere to keep
    // the thread's record, so no thread may start for it.
    HWND plain = CreateWindowExA(0, "Static", "plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    const std::size_t threads = ListedThreads();
    ScrStartTimer(plain);
    EXPECT_EQ(ListedThreads(), threads);
    ScrStopTimer(plain);
    DestroyWindow(plain);
}

} // namespace
