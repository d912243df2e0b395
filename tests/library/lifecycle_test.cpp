// The library's life in the built-in form: started once by the first
// framework call, stopped once, never started again. The library exists
// once per process, so each test first puts it in the state it starts
// from (as a process that made no framework call yet has it, started, or
// stopped for good) and needs no other test to have run before it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dusklit.h"
#include "library/install_check.h"
#include "library/library.h"
#include "monitor/monitor_resources.h"
#include "saver/prefs.h"
#include "tests/support/boxes_shown.h"
#include "tests/support/prefs.h"
#include "tests/support/process_windows.h"
#include "tests/support/trace_capture.h"

namespace {

// Every public preference call is a framework call and would start the
// library, so debug output is switched on in the record itself.
void SetDebugInTheRecord(bool on)
{
    ScrDefaultPrefs();
    CurrentPrefs.Debug = on;
}

// The traces without the suffix that makes them stand out in a debugger.
std::vector<std::string> TraceTexts(const TraceCapture &traces)
{
    std::vector<std::string> texts;
    for (const std::string &line : traces.Lines())
        texts.push_back(line.substr(0, line.find("__")));
    return texts;
}

using Texts = std::vector<std::string>;

bool AnyResourceLeft()
{
    bool any = MonitorPicture != nullptr;
    for (HBITMAP mark : CornerMarks)
        any = any || mark;
    for (HMENU menu : CornerMenus)
        any = any || menu;
    return any;
}

// The states a test starts from, reached quietly (debug output off), with
// debug output on afterwards.
class LibraryLifecycle : public ::testing::Test {
protected:
    // As in a process that has made no framework call: nothing made,
    // no class registered, no module known.
    static void NeverStarted()
    {
        SetDebugInTheRecord(false);
        ScrStopIfStarted();
        if (ScrLibraryInstance) {
            UnregisterClassA(DUSKLIT_MONITOR_WINDOW_CLASS, ScrLibraryInstance);
            UnregisterClassA(DUSKLIT_MONITOR_CLASS, ScrLibraryInstance);
        }
        ScrLibraryInstance = nullptr;
        LoadedAsLibrary = FALSE;
        SetDebugInTheRecord(true);
    }
    // Started by a first framework call.
    static void Started()
    {
        NeverStarted();
        SetDebugInTheRecord(false);
        ScrEnsureStarted();
        SetDebugInTheRecord(true);
    }
    // Started and shut down again: stopped for the rest of the process.
    static void StoppedForGood()
    {
        Started();
        SetDebugInTheRecord(false);
        ScrLibraryShutdown();
        SetDebugInTheRecord(true);
    }
};

TEST_F(LibraryLifecycle, ShutdownBeforeStartHasNothingToClose)
{
    NeverStarted();
    TraceCapture traces;
    EXPECT_EQ(TRUE, ScrLibraryShutdown());
    EXPECT_EQ(TraceTexts(traces), (Texts{"Dusklit: closing process...", "nothing to close!"}));

    traces.Clear();
    ScrStopIfStarted();
    EXPECT_TRUE(traces.Lines().empty());
    EXPECT_EQ(nullptr, ScrLibraryInstance);
}

TEST_F(LibraryLifecycle, FirstFrameworkCallStartsOnceAndShowsNothing)
{
    NeverStarted();
    // This program does not lie in the Windows directory; built in, that
    // must not matter.
    char file[InstallPathSize] = {}, directory[InstallPathSize] = {}, expected[InstallPathSize];
    GetModuleFileNameA(nullptr, file, InstallPathSize - 1);
    GetWindowsDirectoryA(directory, InstallPathSize - 1);
    ASSERT_FALSE(InstallPathMatches(file, directory, expected)) << file;

    BoxesShown boxes;
    TraceCapture traces;
    ScrEnsureStarted();
    EXPECT_TRUE(LibraryStarted);
    EXPECT_EQ(GetModuleHandleA(nullptr), ScrLibraryInstance);
    EXPECT_NE(nullptr, MonitorPicture);
    EXPECT_EQ(TraceTexts(traces), (Texts{"Dusklit: succesfully registered controls"}));
    EXPECT_EQ(0, boxes.Count());

    // A second start would make new handles and fail to register the classes again.
    HBITMAP picture = MonitorPicture;
    HMENU menu = CornerMenus[0];
    traces.Clear();
    ScrEnsureStarted();
    ScrPrefs *prefs = ScrGetPrefs(); // public calls start the library the same way
    ScrSetPrefs(prefs);
    EXPECT_TRUE(traces.Lines().empty());
    EXPECT_EQ(picture, MonitorPicture);
    EXPECT_EQ(menu, CornerMenus[0]);
    EXPECT_EQ(0, boxes.Count());
}

TEST_F(LibraryLifecycle, ShutdownFreesEverythingAndUnregistersTheClasses)
{
    Started();
    HBITMAP picture = MonitorPicture;
    HBITMAP mark = CornerMarks[2];
    HMENU menu = CornerMenus[3];
    HINSTANCE module = ScrLibraryInstance;
    ASSERT_EQ(OBJ_BITMAP, GetObjectType(picture));

    BoxesShown boxes;
    TraceCapture traces;
    EXPECT_EQ(TRUE, ScrLibraryShutdown());
    EXPECT_EQ(TraceTexts(traces),
              (Texts{"Dusklit: closing process...",
                     "Dusklit: successfully unregistered controls"}));
    EXPECT_EQ(0, boxes.Count());

    EXPECT_FALSE(LibraryStarted);
    EXPECT_FALSE(AnyResourceLeft());
    EXPECT_EQ(0u, GetObjectType(picture)) << "the picture was not deleted";
    EXPECT_EQ(0u, GetObjectType(mark)) << "a mark was not deleted";
    EXPECT_FALSE(IsMenu(menu)) << "a menu was not destroyed";
    EXPECT_FALSE(ClassRegistered(ScrLibraryInstance, DUSKLIT_MONITOR_CLASS));
    EXPECT_FALSE(ClassRegistered(ScrLibraryInstance, DUSKLIT_MONITOR_WINDOW_CLASS));
    EXPECT_EQ(module, ScrLibraryInstance) << "the module is kept so the library stays stopped";
}

TEST_F(LibraryLifecycle, NoRestartAfterShutdown)
{
    StoppedForGood();
    TraceCapture traces;
    ScrEnsureStarted();
    SetPref(&ScrPrefs::Debug, 1); // a framework call too
    EXPECT_FALSE(LibraryStarted);
    EXPECT_FALSE(AnyResourceLeft());
    EXPECT_FALSE(ClassRegistered(ScrLibraryInstance, DUSKLIT_MONITOR_CLASS));

    ScrStopIfStarted();
    EXPECT_TRUE(traces.Lines().empty());
    EXPECT_EQ(TRUE, ScrLibraryShutdown());
    EXPECT_EQ(TraceTexts(traces), (Texts{"Dusklit: closing process...", "nothing to close!"}));
}

TEST_F(LibraryLifecycle, StartupCalledAgainRebuildsAndAFailedShutdownStillFrees)
{
    // The loader's way in: start-up called directly, after a shutdown.
    StoppedForGood();
    BoxesShown boxes;
    ASSERT_EQ(TRUE, ScrLibraryStartup());
    EXPECT_TRUE(LibraryStarted);
    EXPECT_TRUE(ClassRegistered(ScrLibraryInstance, DUSKLIT_MONITOR_WINDOW_CLASS));
    EXPECT_NE(nullptr, CornerMenus[1]);

    // Someone removed the classes: the shutdown reports it and frees all the same.
    UnregisterClassA(DUSKLIT_MONITOR_WINDOW_CLASS, ScrLibraryInstance);
    UnregisterClassA(DUSKLIT_MONITOR_CLASS, ScrLibraryInstance);
    TraceCapture traces;
    EXPECT_EQ(FALSE, ScrLibraryShutdown());
    EXPECT_TRUE(traces.Contains("Dusklit: error unregistering controls..."));
    EXPECT_EQ(2, boxes.Count());
    EXPECT_FALSE(LibraryStarted);
    EXPECT_FALSE(AnyResourceLeft());
}

// With the library stopped for good, so no class exists and a framework
// call starts nothing.
class ClassRegistration : public LibraryLifecycle {};

TEST_F(ClassRegistration, FailuresAreTracedAndShownOnlyInDebugMode)
{
    StoppedForGood();
    SetPref(&ScrPrefs::Debug, 1);
    {
        BoxesShown boxes;
        TraceCapture traces;
        EXPECT_EQ(FALSE, ScrUnregisterControls());
        EXPECT_EQ(TraceTexts(traces), (Texts{"Dusklit: failed to unregister monitor window class",
                                             "Dusklit: failed to unregister monitor class",
                                             "Dusklit: error unregistering controls..."}));
        EXPECT_EQ(boxes.List(),
                  (ShownBoxes{{"Dusklit", "Failed to unregister monitor window class"},
                              {"Dusklit", "Failed to unregister monitor class"}}));
    }
    WNDCLASSEXA taken = {};
    taken.cbSize = sizeof taken;
    taken.style = CS_GLOBALCLASS; // a local class of the same name would not be in the way
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = ScrLibraryInstance;
    {
        // The window class is taken: the control class registers, the second fails.
        taken.lpszClassName = DUSKLIT_MONITOR_WINDOW_CLASS;
        ASSERT_NE(0, RegisterClassExA(&taken));
        BoxesShown boxes;
        TraceCapture traces;
        EXPECT_EQ(FALSE, ScrRegisterControls());
        EXPECT_EQ(TraceTexts(traces), (Texts{"Dusklit: Failed to register monitor window class"}));
        EXPECT_EQ(boxes.List(),
                  (ShownBoxes{{"Dusklit DLL", "Failed to register monitor window class"}}));
        EXPECT_TRUE(ClassRegistered(ScrLibraryInstance, DUSKLIT_MONITOR_CLASS));
        UnregisterClassA(DUSKLIT_MONITOR_WINDOW_CLASS, ScrLibraryInstance);
    }
    {
        // The control class is taken now: the window class is not even tried.
        BoxesShown boxes;
        TraceCapture traces;
        EXPECT_EQ(FALSE, ScrRegisterControls());
        EXPECT_EQ(TraceTexts(traces), (Texts{"Dusklit: failed to register monitor class"}));
        EXPECT_EQ(boxes.List(), (ShownBoxes{{"Dusklit DLL", "Failed to register monitor class"}}));
        EXPECT_FALSE(ClassRegistered(ScrLibraryInstance, DUSKLIT_MONITOR_WINDOW_CLASS));
        UnregisterClassA(DUSKLIT_MONITOR_CLASS, ScrLibraryInstance);
    }
    SetPref(&ScrPrefs::Debug, 0);
    {
        BoxesShown boxes;
        TraceCapture traces;
        EXPECT_EQ(FALSE, ScrUnregisterControls());
        EXPECT_TRUE(traces.Lines().empty());
        EXPECT_EQ(0, boxes.Count());
    }
}

} // namespace
