#include "saver/window_kinds.h"

#include <cstring>
#include <map>
#include <mutex>

#include "dusklit.h"
#include "saver/prefs.h"

namespace {

// Saver windows live on the threads that made them, but a loaded library
// may run previews on several threads, and the timer threads ask too.
std::mutex &KindsLock()
{
    static std::mutex lock;
    return lock;
}

struct Record {
    SaverWindowKind kind;
    unsigned destroyNotes;
};

std::map<HWND, Record> &Kinds()
{
    static std::map<HWND, Record> kinds;
    return kinds;
}

// Per thread: a creator waits on its own thread for its window.
thread_local SaverWindowKind Announced = SaverWindowKind::Unknown;

bool IsMonitorScreen(HWND window)
{
    char name[64] = "";
    return window && GetClassNameA(window, name, sizeof name) > 0 &&
           std::strcmp(name, DUSKLIT_MONITOR_WINDOW_CLASS) == 0;
}

SaverWindowKind KindFromTree(HWND window)
{
    if (GetParent(window))
        return SaverWindowKind::SystemPreview;
    return CurrentPrefs.DebugWindow ? SaverWindowKind::DebugWindow : SaverWindowKind::FullScreen;
}

} // namespace

AnnouncedSaverWindow::AnnouncedSaverWindow(SaverWindowKind kind) : previous_(Announced)
{
    Announced = kind;
}

AnnouncedSaverWindow::~AnnouncedSaverWindow()
{
    Announced = previous_;
}

// Whether a preview ends the run's loop when it goes depends on where it
// was made: inside a monitor control's screen, or anywhere else.
SaverWindowKind PreviewKindFromParent(HWND window)
{
    return IsMonitorScreen(GetParent(window)) ? SaverWindowKind::MonitorPreview : SaverWindowKind::SystemPreview;
}

SaverWindowKind RecordSaverWindow(HWND window)
{
    SaverWindowKind kind = Announced != SaverWindowKind::Unknown ? Announced : KindFromTree(window);
    if (IsPreviewKind(kind))
        kind = PreviewKindFromParent(window);
    // One window per announcement: a hook that makes helper windows of
    // its own afterwards gets them judged by what they are.
    Announced = SaverWindowKind::Unknown;
    std::lock_guard<std::mutex> guard(KindsLock());
    Kinds()[window] = {kind, 0};
    return kind;
}

SaverWindowKind SaverWindowKindOf(HWND window)
{
    std::lock_guard<std::mutex> guard(KindsLock());
    auto found = Kinds().find(window);
    return found == Kinds().end() ? SaverWindowKind::Unknown : found->second.kind;
}

void NoteDestroy(HWND window, DestroyNote note)
{
    std::lock_guard<std::mutex> guard(KindsLock());
    auto found = Kinds().find(window);
    if (found != Kinds().end())
        found->second.destroyNotes |= static_cast<unsigned>(note);
}

bool DestroyNoted(HWND window, DestroyNote note)
{
    std::lock_guard<std::mutex> guard(KindsLock());
    auto found = Kinds().find(window);
    return found != Kinds().end() && (found->second.destroyNotes & static_cast<unsigned>(note)) != 0;
}

void ForgetSaverWindow(HWND window)
{
    std::lock_guard<std::mutex> guard(KindsLock());
    Kinds().erase(window);
}
