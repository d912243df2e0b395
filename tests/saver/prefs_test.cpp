// The preferences record: defaults, copies, limits and refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dusklit.h"
#include "saver/prefs.h"
#include "tests/support/message_box_watch.h"
#include "tests/support/trace_capture.h"

// The public records keep one layout in 32-bit and 64-bit programs; only
// the change notice, which holds a handle and a pointer, grows with them.
static_assert(sizeof(ScrPrefs) == 556 && sizeof(ScrGeneralSettings) == 24, "fixed-width records");
static_assert(sizeof(SaverCreateParams) == 8 && sizeof(ScrMonitor) == 20, "fixed-width records");
static_assert(sizeof(ScrChangeNotice) == (sizeof(void *) == 4 ? 12 : 24), "the notice grows with pointers");

namespace {

// Leaves the process with the defaults after each test.
class Prefs : public ::testing::Test {
protected:
    void TearDown() override
    {
        ScrPrefs *prefs = ScrGetPrefs();
        ScrPrefs defaults = {};
        defaults.Size = SCRPREFS_SIZE;
        defaults.Sound = 1;
        defaults.ActiveConfigPassword = 1;
        std::memcpy(prefs, &defaults, sizeof defaults);
        ScrSetPrefs(prefs);
    }
};

TEST_F(Prefs, FirstCopyHoldsTheDefaults)
{
    ScrPrefs *prefs = ScrGetPrefs();
    ASSERT_NE(prefs, nullptr);
    EXPECT_EQ(prefs->Size, 556);
    EXPECT_EQ(prefs->Sound, 1);
    EXPECT_EQ(prefs->ActiveConfigPassword, 1);
    EXPECT_EQ(prefs->ActiveConfig + prefs->Debug + prefs->DebugWindow + prefs->NoAbout + prefs->NoPreviewRelay +
                  prefs->NoTimers + prefs->AlwaysRequirePassword + prefs->NeverRequirePassword,
              0);
    EXPECT_STREQ(prefs->Text1, "");
    EXPECT_STREQ(prefs->Text2, "");
    ScrSetPrefs(prefs);
}

TEST_F(Prefs, SetThenGetRoundTripsEveryField)
{
    ScrPrefs *prefs = ScrGetPrefs();
    prefs->Size = 12345; // not looked at
    prefs->ActiveConfig = 1;
    prefs->Sound = 0;
    prefs->DebugWindow = 7;
    prefs->NoAbout = 1;
    prefs->NoPreviewRelay = 1;
    prefs->NoTimers = 1;
    std::strcpy(prefs->Text1, "first");
    std::strcpy(prefs->Text2, "second");
    prefs->NeverRequirePassword = 1;
    prefs->ActiveConfigPassword = 0;
    ScrSetPrefs(prefs);

    ScrPrefs *copy = ScrGetPrefs();
    EXPECT_EQ(copy->Size, 556);
    EXPECT_EQ(copy->ActiveConfig, 1);
    EXPECT_EQ(copy->Sound, 0);
    EXPECT_EQ(copy->DebugWindow, 7);
    EXPECT_EQ(copy->NoAbout, 1);
    EXPECT_EQ(copy->NoPreviewRelay, 1);
    EXPECT_EQ(copy->NoTimers, 1);
    EXPECT_STREQ(copy->Text1, "first");
    EXPECT_STREQ(copy->Text2, "second");
    EXPECT_EQ(copy->NeverRequirePassword, 1);
    EXPECT_EQ(copy->AlwaysRequirePassword, 0);
    EXPECT_EQ(copy->ActiveConfigPassword, 0);
    ScrSetPrefs(copy);
}

TEST_F(Prefs, OverlongTextsKeepTheirFirst255Characters)
{
    ScrPrefs *prefs = ScrGetPrefs();
    // Unterminated within the field: the copy must stop at the record's limit.
    std::memset(prefs->Text1, 'a', sizeof prefs->Text1);
    std::memset(prefs->Text2, 'b', sizeof prefs->Text2);
    ScrSetPrefs(prefs);
    EXPECT_EQ(std::string(CurrentPrefs.Text1), std::string(255, 'a'));
    EXPECT_EQ(std::string(CurrentPrefs.Text2), std::string(255, 'b'));

    ScrPrefs *copy = ScrGetPrefs();
    EXPECT_EQ(std::strlen(copy->Text1), 255u);
    ScrSetPrefs(copy);
}

TEST_F(Prefs, NullRecordIsReportedOnlyInDebugMode)
{
    TraceCapture traces;
    MessageBoxWatch boxes;
    ScrSetPrefs(nullptr);
    EXPECT_TRUE(traces.Lines().empty());
    EXPECT_EQ(boxes.Count(), 0);

    ScrPrefs *prefs = ScrGetPrefs();
    prefs->Debug = 1;
    ScrSetPrefs(prefs);
    ScrSetPrefs(nullptr);
    EXPECT_TRUE(traces.Contains("ScrSetPrefs called with NULL preferences___________"));
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Seen()[0].caption, "Prefs error");
    EXPECT_EQ(boxes.Seen()[0].text, "ScrSetPrefs called with NULL preferences");
    EXPECT_EQ(CurrentPrefs.Debug, 1);
}

TEST_F(Prefs, BothPasswordSwitchesAreInstalledAndCalledSilly)
{
    const char silly[] = "You have set always-require-password AND never-require-password, which is silly!";
    TraceCapture traces;
    MessageBoxWatch boxes;

    ScrPrefs *quiet = ScrGetPrefs();
    quiet->AlwaysRequirePassword = 1;
    quiet->NeverRequirePassword = 1;
    ScrSetPrefs(quiet);
    EXPECT_EQ(CurrentPrefs.AlwaysRequirePassword, 1);
    EXPECT_EQ(CurrentPrefs.NeverRequirePassword, 1);
    EXPECT_FALSE(traces.Contains(silly));
    EXPECT_EQ(boxes.Count(), 0);

    // The newly installed Debug switch decides whether this one is reported.
    ScrPrefs *loud = ScrGetPrefs();
    loud->Debug = 1;
    ScrSetPrefs(loud);
    EXPECT_TRUE(traces.Contains(silly));
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Seen()[0].text, silly);
    EXPECT_EQ(boxes.Seen()[0].caption, "Prefs error");
}

} // namespace
