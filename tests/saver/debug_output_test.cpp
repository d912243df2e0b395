// The debug trace and debug message boxes speak only in debug mode.
#include <gtest/gtest.h>

#include <string>

#include "dusklit.h"
#include "saver/debug_output.h"
#include "tests/support/message_box_watch.h"
#include "tests/support/prefs.h"
#include "tests/support/trace_capture.h"

namespace {

TEST(DebugOutput, SilentWithTheDefaults)
{
    SetPref(&ScrPrefs::Debug, 0);
    TraceCapture traces;
    MessageBoxWatch boxes;
    ScrTrace("abc");
    ScrTracePrefixed("full DefSaverProc", "abc");
    ScrDebugMessageBox(nullptr, "text", "caption");
    EXPECT_TRUE(traces.Lines().empty());
    EXPECT_EQ(boxes.Count(), 0);
}

TEST(DebugOutput, TracesAndBoxesInDebugMode)
{
    SetPref(&ScrPrefs::Debug, 1);
    TraceCapture traces;
    MessageBoxWatch boxes;
    ScrTrace("abc");
    ScrTracePrefixed("preview DefSaverProc", "WM_CLOSE");
    ScrTrace(std::string(400, 'z').c_str());
    ScrDebugMessageBox(nullptr, "Not all threads have terminated", "ThreadTimer error");
    SetPref(&ScrPrefs::Debug, 0);

    std::vector<std::string> lines = traces.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "abc___________  \n\r");
    EXPECT_EQ(lines[1], "preview DefSaverProc: WM_CLOSE_________  \n\r");
    EXPECT_EQ(lines[2].size(), 199u);
    EXPECT_EQ(lines[2].substr(184), "___________  \n\r");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Seen()[0].caption, "ThreadTimer error");
    EXPECT_EQ(boxes.Seen()[0].text, "Not all threads have terminated");
}

} // namespace
