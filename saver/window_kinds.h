// What each saver window is: the full-screen lock, the small debug window,
// or a preview (inside a monitor control, or inside a window of another
// program such as the display settings). The kind is recorded once, when
// the window's own WM_CREATE comes, and never read again from the window
// tree: any program on the desktop can give our window a parent, an owner
// or other styles, and none of that may turn the lock into a preview that
// closes without the password.
#pragma once
#include <windows.h>

enum class SaverWindowKind {
    Unknown,        // not a saver window, or not created yet
    FullScreen,     // the lock over the whole desktop
    DebugWindow,    // the small ordinary window the DebugWindow preference asks for
    SystemPreview,  // a child filling a window of another program, or of a /p number
    MonitorPreview, // a child inside the monitor control of a configuration page
};

// Announces, for the life of the object, the kind of the window its
// creator is about to make (the framework's own creators, and the hooks
// and hosts they hand the creation to). A window whose WM_CREATE comes
// meanwhile is recorded as that kind.
class AnnouncedSaverWindow {
public:
    explicit AnnouncedSaverWindow(SaverWindowKind kind);
    ~AnnouncedSaverWindow();
    AnnouncedSaverWindow(const AnnouncedSaverWindow &) = delete;
    AnnouncedSaverWindow &operator=(const AnnouncedSaverWindow &) = delete;

private:
    SaverWindowKind previous_;
};

// Records a window at its own WM_CREATE and answers its kind: the one its
// creator announced, else what the window is at that moment (a child is a
// preview; a top-level window is the full-screen one, or the debug window
// when the preferences ask for one). A preview is one inside a monitor
// control when its parent at that moment is a monitor control's screen.
SaverWindowKind RecordSaverWindow(HWND window);
// The recorded kind; Unknown for a window never recorded or forgotten.
SaverWindowKind SaverWindowKindOf(HWND window);
// What became of the WM_DESTROY messages a top-level saver window got: a
// window whose only WM_DESTROY was refused as another thread's (and then
// ended all the same) catches up on it before its WM_NCDESTROY.
enum class DestroyNote : unsigned {
    Refused = 1,   // a WM_DESTROY from another thread was refused
    Delivered = 2, // the saver's procedure was handed the window's own WM_DESTROY
    TidiedUp = 4,  // DefSaverProc stopped the window's timer and told its loop
};
void NoteDestroy(HWND window, DestroyNote note);
bool DestroyNoted(HWND window, DestroyNote note);
// At the window's real WM_NCDESTROY: the handle may name another window later.
void ForgetSaverWindow(HWND window);

inline bool IsPreviewKind(SaverWindowKind kind)
{
    return kind == SaverWindowKind::SystemPreview || kind == SaverWindowKind::MonitorPreview;
}

// The top-level saver windows, which nothing but this thread destroys. (A
// preview's parent lives in another program, whose destruction reaches
// the preview from that program's thread.)
inline bool IsTopLevelKind(SaverWindowKind kind)
{
    return kind == SaverWindowKind::FullScreen || kind == SaverWindowKind::DebugWindow;
}
