// The timer thread as a saver sees it: ticks a period apart measured from
// the start of each tick, continuous ticks, stopping by answering -1 or
// not at all, prompt stops, settings changes cutting a wait short, no
// threads at all when timers are off, and a thread that only the
// framework ends. Time limits, and the upper bounds of measured periods,
// follow the whole-program tests' time scale (driver::Limit).
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "saver/def_saver_proc.h"
#include "saver/run_state.h"
#include "saver/thread_list.h"
#include "saver/timer.h"
#include "tests/driver/program_driver.h"
#include "tests/saver/saver_harness.h"
#include "tests/support/clock.h"
#include "tests/support/display_report.h"
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

// Timers on, the traces caught, and a saver started on demand.
class Timer : public ::testing::Test {
protected:
    // Starts the saver with this period (or no answer at all) and waits
    // for its first tick.
    bool StartTicking(LRESULT period, bool answer = true)
    {
        ticking_.period = period;
        ticking_.answer = answer;
        saver_.emplace(ticking_.Hook());
        return ticking_.WaitForTicks(1, 10000);
    }
    HWND Saver() const { return saver_->Handle(); }

    PrefsScope prefs_{WithTimers()};
    TraceCapture traces_;
    TickingSaver ticking_;
    std::optional<TestSaver> saver_;
};

// Ticks a period apart from the start of each: counted from the end of
// drawing, the quick case would be 55 ms apart; when drawing outlasts the
// period, the next tick follows after only a yield, not another period.
TEST_F(Timer, TicksArePeriodsApartMeasuredFromTheStartOfEachTick)
{
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

TEST_F(Timer, APeriodOfZeroTicksContinuously)
{
    ASSERT_TRUE(StartTicking(0));
    const std::size_t before = ticking_.starts.size();
    Pump(driver::Limit(300));
    // A 10 ms timer would manage 30 (times the scale).
    EXPECT_GT(ticking_.starts.size() - before, 60u);
}

TEST_F(Timer, AnUnansweredTickStopsTheTicksAndTheThread)
{
    ASSERT_TRUE(StartTicking(40, false));
    ASSERT_TRUE(saver_->Alive());
    HANDLE thread = ThreadHandleList ? ThreadHandleList->Thread : nullptr;
    ASSERT_NE(thread, nullptr);
    // The had-enough comes as a posted message: this thread must pump to
    // see it, however soon after the first tick the thread posts it.
    EXPECT_TRUE(PumpingWaitUntil([thread] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; },
                                 driver::Limit(5000)))
        << "the had-enough handler stops the thread";
    Pump(100);
    EXPECT_EQ(ticking_.starts.size(), 1u);
    EXPECT_TRUE(traces_.Contains(std::string(78, '*')));
    EXPECT_TRUE(traces_.Contains("** SCRM_TIMER: being turned off. If you want it to keep going, you must return its period."));
    EXPECT_TRUE(traces_.Contains("Thread: infinite delay specified, so posting a 'had enough'"));
    EXPECT_TRUE(traces_.Contains("SCRINTERNAL_HADENOUGH: closing down thread..."));
    EXPECT_TRUE(traces_.Contains("Thread coming to an end. Deleting threaddata"));

    // Started again after the stop, it ticks again.
    ScrStartTimer(Saver());
    EXPECT_TRUE(ticking_.WaitForTicks(2, 10000));
    // Unanswered again, the timer goes once the had-enough is handled.
    HWND window = Saver();
    EXPECT_TRUE(PumpingWaitUntil([window] { return !GetTimerProp(window); }, driver::Limit(5000)));

    traces_.Clear();
    DestroyWindow(Saver());
    EXPECT_TRUE(traces_.Contains("ScrStopTimer: the timer had already been destroyed. This isn't necessarily bad."));
}

TEST_F(Timer, StartingTwiceMakesOneThread)
{
    ASSERT_TRUE(StartTicking(40));
    const std::size_t threads = ListedThreads();
    ScrStartTimer(Saver());
    EXPECT_EQ(ListedThreads(), threads);
    EXPECT_TRUE(traces_.Contains("ScrStartTimer: cannot restart, because one was already there!"));
}

TEST_F(Timer, AStopEndsTheThreadPromptlyEvenDuringALongPeriod)
{
    ASSERT_TRUE(StartTicking(5000));
    ThreadData *timer = GetTimerProp(Saver());
    ASSERT_NE(timer, nullptr);
    HANDLE thread = timer->thread;
    ScrStopTimer(Saver());
    EXPECT_EQ(GetTimerProp(Saver()), nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, driver::Limit(1000)), WAIT_OBJECT_0);
    Pump(100);
    EXPECT_EQ(ticking_.starts.size(), 1u);
}

// Anyone can post the timer thread a message (WM_QUIT too) and the window
// a had-enough, and replace or remove the window's timer property: the
// thread goes on ticking with the same record, a settings change still
// wakes it, and a stop still ends it at once.
TEST_F(Timer, OnlyTheFrameworkEndsTheThread)
{
    ASSERT_TRUE(StartTicking(driver::Limit(8000)));
    ThreadData *timer = GetTimerProp(Saver());
    ASSERT_NE(timer, nullptr);
    HANDLE thread = timer->thread;
    traces_.Clear();
    for (UINT message : {UINT(WM_QUIT), UINT(WM_USER), UINT(WM_TIMER), UINT(WM_QUIT)})
        EXPECT_TRUE(PostThreadMessageA(timer->threadId, message, 0, 0));
    // The dropped messages are traced with their parameters whole, as wide
    // as the program's.
    EXPECT_TRUE(PostThreadMessageA(timer->threadId, WM_APP, ~WPARAM(0), -2));
    PostMessageA(Saver(), SCRM_INTERNAL, SCRINTERNAL_HADENOUGH, 0);
    SetPropA(Saver(), TimerPropName, reinterpret_cast<HANDLE>(0x10));
    Pump(driver::Limit(500));
    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the thread goes on";
    EXPECT_EQ(GetTimerProp(Saver()), timer);
    const std::string all = sizeof(WPARAM) == 8 ? "ffffffffffffffff" : "ffffffff";
    EXPECT_TRUE(traces_.Contains("Thread message: msg=8000 wParam=" + all + " lParam=" + all.substr(1) + "e"));
    EXPECT_TRUE(traces_.Contains("Thread message: msg=400 wParam=0 lParam=0"));

    SendGeneralSettings(Saver(), 200, 0, 0);
    EXPECT_TRUE(ticking_.WaitForTicks(2, 4000)) << "woken with the same record";
    RemovePropA(Saver(), TimerPropName);
    ScrStopTimer(Saver());
    EXPECT_EQ(WaitForSingleObject(thread, driver::Limit(1000)), WAIT_OBJECT_0);
}

TEST_F(Timer, DestroyingTheWindowEndsItsThread)
{
    ASSERT_TRUE(StartTicking(5000));
    HANDLE thread = GetTimerProp(Saver())->thread;
    DestroyWindow(Saver());
    EXPECT_EQ(WaitForSingleObject(thread, driver::Limit(1000)), WAIT_OBJECT_0);
}

TEST_F(Timer, ASettingsChangeBringsTheNextTickAtOnce)
{
    ASSERT_TRUE(StartTicking(driver::Limit(8000)));
    const double changed = NowMs();
    SendGeneralSettings(Saver(), 200, 0, 0);
    ASSERT_TRUE(ticking_.WaitForTicks(2, 4000)) << "the 8 s wait was not cut short";
    EXPECT_LT(ticking_.starts[1] - changed, driver::Limit(4000));
}

TEST_F(Timer, WithTimersOffNothingStarts)
{
    PrefsScope prefs({}); // NoTimers
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
    EXPECT_TRUE(traces_.Contains(
        "ScrStartTimer: Timers have been turned off in the prefs: they are not being initialized"));
    EXPECT_TRUE(traces_.Contains("ScrStopTimer: Timers have been turned off: you can not destroy them."));
    EXPECT_EQ(SendMessageA(saver.Handle(), SCRM_INTERNAL, 0, 0), 0) << "a tick with timers off answers 0";
}

TEST_F(Timer, StopAndStartOnWindowsThatCannotHaveATimer)
{
    ScrStopTimer(nullptr);
    EXPECT_TRUE(traces_.Contains("ScrStopTimer: hwnd is null!"));

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

// Nobody sees the drawing on a dark display: the ticks rest, and the next
// comes at once when it is back. The report is read only from this
// process's memory, and a forged "off" stops nothing but the drawing.
TEST_F(Timer, TicksRestWhileTheDisplayIsDark)
{
    ASSERT_TRUE(StartTicking(200));
    DisplayReport report;
    for (LPARAM bogus : {LPARAM(0), LPARAM(0x10), ~LPARAM(0) - 8})
        SendMessageA(Saver(), WM_POWERBROADCAST, PowerSettingChange, bogus);
    ASSERT_TRUE(ticking_.WaitForTicks(3, 2000)) << "bogus reports stop nothing";
    for (DWORD dark : {DWORD(0), DWORD(2)}) {
        report.state = dark;
        SendMessageA(Saver(), WM_POWERBROADCAST, PowerSettingChange, reinterpret_cast<LPARAM>(&report));
        Pump(250); // a tick under way may still come
        const std::size_t resting = ticking_.starts.size();
        Pump(driver::Limit(600));
        EXPECT_EQ(ticking_.starts.size(), resting) << "state " << dark;
        report.state = 1;
        const double back = NowMs();
        SendMessageA(Saver(), WM_POWERBROADCAST, PowerSettingChange, reinterpret_cast<LPARAM>(&report));
        ASSERT_TRUE(ticking_.WaitForTicks(resting + 1, 2000));
        EXPECT_LE(ticking_.starts.back() - back, driver::Limit(50)) << "state " << dark;
    }
    report.state = 0;
    SendMessageA(Saver(), WM_POWERBROADCAST, PowerSettingChange, reinterpret_cast<LPARAM>(&report));
    EXPECT_TRUE(saver_->ClosesAfter(WM_KEYDOWN, 'A', 1)) << "input still closes the saver";
}

// A preview that cannot be seen, hidden or minimised, rests until it can.
TEST_F(Timer, AHiddenPreviewRests)
{
    HWND host = CreateWindowExA(0, "Static", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 160, 120, nullptr,
                                nullptr, nullptr, nullptr);
    ticking_.period = 40;
    TestSaver preview(ticking_.Hook(), host);
    ASSERT_TRUE(ticking_.WaitForTicks(1, 10000));
    for (int hide : {SW_HIDE, SW_MINIMIZE}) {
        ShowWindow(host, hide);
        Pump(150);
        const std::size_t resting = ticking_.starts.size();
        Pump(driver::Limit(400));
        EXPECT_EQ(ticking_.starts.size(), resting) << "show command " << hide;
        ShowWindow(host, SW_RESTORE);
        EXPECT_TRUE(ticking_.WaitForTicks(resting + 1, 2000)) << "show command " << hide;
    }
    DestroyWindow(host);
}

// The full-screen saver runs with a 1 ms timer resolution and gives it back
// as it goes; a preview never asks for it.
TEST(TimerResolution, OnlyTheFullScreenSaverAsksForAFineResolution)
{
    PrefsScope prefs(WithTimers());
    TraceCapture traces;
    const char asked[] = "Timer: asked for a 1 ms timer resolution while the saver runs";
    {
        HWND host = CreateWindowExA(0, "Static", "host", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr,
                                    nullptr, nullptr);
        TestSaver preview({}, host);
        EXPECT_FALSE(traces.Contains(asked));
        DestroyWindow(host);
    }
    {
        TestSaver saver;
        EXPECT_TRUE(traces.Contains(asked));
    }
    EXPECT_TRUE(traces.Contains("Timer: gave the timer resolution back"));
}

} // namespace
