// The loader's entry, called as a loader would for a thread: it marks the
// library as loaded by the loader and leaves everything else alone.
#include <gtest/gtest.h>

#include <cstring>

#include "dusklit.h"
#include "library/library.h"
#include "monitor/monitor_resources.h"
#include "tests/support/process_windows.h"

namespace {

// What the library owns, to see that a call left it as it was.
struct LibraryState {
    HINSTANCE instance;
    BOOL started;
    HBITMAP picture;
    HBITMAP marks[CornerActionCount];
    HMENU menus[CornerCount];
    RECT squares[CornerCount];
    RECT screen;
    SIZE pictureSize;
    bool agent;

    static LibraryState Now()
    {
        LibraryState state = {};
        state.instance = ScrLibraryInstance;
        state.started = LibraryStarted;
        state.picture = MonitorPicture;
        std::memcpy(state.marks, CornerMarks, sizeof state.marks);
        std::memcpy(state.menus, CornerMenus, sizeof state.menus);
        std::memcpy(state.squares, CornerSquares, sizeof state.squares);
        state.screen = ScreenArea;
        state.pictureSize = PictureSize;
        state.agent = HotCornerAgentPresent();
        return state;
    }
    bool operator==(const LibraryState &other) const { return std::memcmp(this, &other, sizeof *this) == 0; }
};

TEST(LibraryEntry, ThreadAttachAndDetachOnlyMarkTheLibraryAsLoaded)
{
    ScrEnsureStarted();
    ASSERT_TRUE(LibraryStarted);
    ASSERT_TRUE(ClassRegistered(ScrLibraryInstance, DUSKLIT_MONITOR_CLASS));
    ASSERT_FALSE(LoadedAsLibrary);
    const LibraryState before = LibraryState::Now();
    // Another module's handle: a thread call must not take it over.
    HINSTANCE other = GetModuleHandleA("kernel32.dll");

    for (DWORD reason : {DWORD(DLL_THREAD_ATTACH), DWORD(DLL_THREAD_DETACH), DWORD(7)}) {
        LoadedAsLibrary = FALSE;
        EXPECT_EQ(FALSE, ScrLibraryEntry(other, reason, nullptr)) << "reason " << reason;
        EXPECT_TRUE(LoadedAsLibrary) << "reason " << reason;
        EXPECT_TRUE(before == LibraryState::Now()) << "reason " << reason;
        EXPECT_TRUE(ClassRegistered(ScrLibraryInstance, DUSKLIT_MONITOR_CLASS)) << "reason " << reason;
    }

    // Once marked, the lazy start of the built-in form stays away, and
    // process detach is what stops the library.
    EXPECT_TRUE(before == LibraryState::Now());
    EXPECT_EQ(TRUE, ScrLibraryEntry(other, DLL_PROCESS_DETACH, nullptr));
    EXPECT_FALSE(LibraryStarted);
    EXPECT_EQ(nullptr, MonitorPicture);
    EXPECT_FALSE(ClassRegistered(ScrLibraryInstance, DUSKLIT_MONITOR_CLASS));
    EXPECT_EQ(before.instance, ScrLibraryInstance);
}

} // namespace
