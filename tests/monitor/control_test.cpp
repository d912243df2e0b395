// The monitor control as a hot-corner editor: its size and place, the
// corner menus a click opens, the corner commands from menus and programs,
// what the parent hears, and the once-per-start-up warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dusklit.h"
#include "library/library.h"
#include "monitor/monitor_resources.h"
#include "tests/monitor/control_fixture.h"
#include "tests/support/boxes_shown.h"
#include "tests/support/message_pump.h"

#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace {

constexpr DWORD ChildVisible = WS_CHILD | WS_VISIBLE;
constexpr DWORD CornersStyle = ChildVisible | MS_CORNERS; // 0x50000002, as on the General page

void ExpectPlacement(const RECT &r, LONG left, LONG top, const char *what)
{
    EXPECT_EQ(left, r.left) << what;
    EXPECT_EQ(top, r.top) << what;
    EXPECT_EQ(184, r.right - r.left) << what;
    EXPECT_EQ(170, r.bottom - r.top) << what;
}

TEST(MonitorPlacement, TakesThePictureSizeAboutItsCentre)
{
    struct {
        int x, y, width, height;
        LONG left, top;
        const char *what;
    } cases[] = {
        // Centre (115, 76): 115 - 92 and 76 - 85.
        {100, 60, 31, 33, 23, -9, "small, as a template's 20 x 20 units"},
        // Centre (200, 160).
        {0, 0, 400, 320, 108, 75, "larger than the picture"},
        // Centre (419 / 2, 341 / 2) = (209, 170), the halves rounded down.
        {10, 10, 399, 321, 117, 85, "odd sizes"},
        {250, 100, 0, 0, 158, 15, "no size at all"},
        // Centre (129, 96): back where it was, now 170 high.
        {37, 11, 184, 171, 37, 11, "one pixel too tall"},
    };
    for (const auto &c : cases) {
        Monitor monitor(CornersStyle, c.x, c.y, c.width, c.height);
        ASSERT_NE(nullptr, monitor.Handle()) << c.what;
        ExpectPlacement(monitor.Placement(), c.left, c.top, c.what);
        RECT client;
        GetClientRect(monitor.Handle(), &client);
        EXPECT_EQ(184, client.right) << c.what;
        EXPECT_EQ(170, client.bottom) << c.what;
    }
    // Already the picture's size: it stays exactly where it was put, even
    // where an odd place would not survive a round trip through its centre.
    for (POINT at : {POINT{37, 11}, POINT{-5, -3}, POINT{0, 0}}) {
        Monitor monitor(ChildVisible | MS_PREVIEW, at.x, at.y, 184, 170);
        ExpectPlacement(monitor.Placement(), at.x, at.y, "already 184 x 170");
    }
    // A per-monitor aware dialog moved from 96 to 144 DPI scales its
    // controls by half again and then tells them: the picture keeps its
    // pixels about the new centre (15 + 276 / 2, 15 + 255 / 2) = (153, 142),
    // the preview's screen window with it. Told again, it stays.
    Monitor moved(ChildVisible | MS_PREVIEW, 10, 10, 184, 170);
    MoveWindow(moved.Handle(), 15, 15, 276, 255, FALSE);
    for (int round = 0; round < 2; ++round) {
        SendMessageA(moved.Handle(), WM_DPICHANGED_AFTERPARENT, 0, 0);
        ExpectPlacement(moved.Placement(), 61, 57, "rescaled with its dialog");
    }
    RECT screen;
    GetWindowRect(GetWindow(moved.Handle(), GW_CHILD), &screen);
    MapWindowPoints(nullptr, moved.Handle(), reinterpret_cast<POINT *>(&screen), 2);
    EXPECT_TRUE(EqualRect(&screen, &ScreenArea));
}

// Watches a control's corner menus from inside the menu's own loop: the
// control owns the menu, so the menu's messages come to it. On the menu's
// first idle moment the menu is closed, or one item is chosen with the
// arrow keys and Enter, as a user would.
struct MenuVisit {
    HMENU menu = nullptr;
    std::vector<bool> checked; // per item, while the menu was open
    POINT shownAt = {-1, -1};  // the menu window's top-left
};

class MenuWatch {
public:
    explicit MenuWatch(HWND control) : control_(control)
    {
        Current = this;
        original_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    }
    ~MenuWatch()
    {
        SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        Current = nullptr;
    }
    MenuWatch(const MenuWatch &) = delete;
    MenuWatch &operator=(const MenuWatch &) = delete;

    // Clicks at (x, y) of the control; the next menu gets `choice` chosen
    // (an item position), or closed with nothing chosen when it is -1.
    void Click(int x, int y, int choice = -1)
    {
        choice_ = choice;
        SendMessageA(control_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    }

    std::vector<MenuVisit> visits;
    bool stuck = false; // a menu had to be closed by the safety timer

private:
    static constexpr UINT_PTR SafetyTimer = 77;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        MenuWatch &self = *Current;
        switch (message) {
        case WM_INITMENUPOPUP: {
            MenuVisit visit;
            visit.menu = reinterpret_cast<HMENU>(wParam);
            for (int i = 0; i < GetMenuItemCount(visit.menu); ++i)
                visit.checked.push_back((GetMenuState(visit.menu, i, MF_BYPOSITION) & MF_CHECKED) != 0);
            self.visits.push_back(visit);
            self.answered_ = false;
            // Should the menu never fall idle, it is closed all the same and
            // the test fails instead of waiting for a person.
            SetTimer(window, SafetyTimer, 20000, nullptr);
            break;
        }
        case WM_ENTERIDLE:
            if (wParam == MSGF_MENU && !self.answered_) {
                self.answered_ = true;
                RECT shown;
                if (!self.visits.empty() && GetWindowRect(reinterpret_cast<HWND>(lParam), &shown))
                    self.visits.back().shownAt = {shown.left, shown.top};
                self.Answer();
            }
            break;
        case WM_TIMER:
            if (wParam == SafetyTimer) {
                KillTimer(window, SafetyTimer);
                self.stuck = !self.answered_;
                EndMenu();
                return 0;
            }
            break;
        }
        return CallWindowProcA(self.original_, window, message, wParam, lParam);
    }

    void Answer()
    {
        KillTimer(control_, SafetyTimer);
        if (choice_ < 0) {
            EndMenu();
            return;
        }
        for (int i = 0; i <= choice_; ++i)
            PostMessageA(control_, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(control_, WM_KEYDOWN, VK_RETURN, 0);
    }

    static MenuWatch *Current;
    HWND control_;
    WNDPROC original_ = nullptr;
    int choice_ = -1;
    bool answered_ = false;
};

MenuWatch *MenuWatch::Current = nullptr;

bool AnyItemChecked(HMENU menu)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED)
            return true;
    return false;
}

TEST(MonitorCornerMenu, ClickOutsideTheSquaresDoesNothing)
{
    const int scale = PictureScaleHere();
    Monitor monitor(CornersStyle | MS_CTOPRIGHTNOW, 10, 10, 184 * scale, 170 * scale);
    MenuWatch watch(monitor.Handle());
    // The middle of the screen, the frame, and one pixel of the picture
    // beyond each side of the top-left and bottom-right squares.
    for (POINT p : {POINT{92, 73}, POINT{5, 5}, POINT{40, 20}, POINT{15, 20}, POINT{20, 39},
                    POINT{20, 16}, POINT{144, 110}, POINT{169, 110}, POINT{150, 130},
                    POINT{150, 107}})
        watch.Click(p.x * scale, p.y * scale);
    PumpMessages();
    EXPECT_TRUE(watch.visits.empty());
    EXPECT_FALSE(watch.stuck);
    EXPECT_EQ(CornersStyle | MS_CTOPRIGHTNOW, monitor.Style());
    EXPECT_TRUE(TakeNotifications().empty());
}

TEST(MonitorCornerMenu, EachSquareOpensItsCornersMenuWithTheCurrentChoiceMarked)
{
    // Top-left Now, top-right Never, bottom-right Default, bottom-left Never.
    const DWORD style = CornersStyle | MS_CTOPLEFTNOW | MS_CTOPRIGHTNEV | MS_CBOTLEFTNEV;
    const int s = PictureScaleHere(); // the squares grow with the picture
    Monitor monitor(style, 10, 10, 184 * s, 170 * s);
    MenuWatch watch(monitor.Handle());
    const POINT clicks[4] = {{16 * s, 17 * s}, {168 * s, 38 * s}, {150 * s, 120 * s}, {39 * s, 108 * s}};
    const int expected[4] = {1, 2, 0, 2};
    for (int corner = 0; corner < 4; ++corner) {
        watch.Click(clicks[corner].x, clicks[corner].y);
        ASSERT_EQ(static_cast<size_t>(corner + 1), watch.visits.size()) << corner;
        const MenuVisit &visit = watch.visits.back();
        EXPECT_EQ(CornerMenus[corner], visit.menu) << corner;
        ASSERT_EQ(3u, visit.checked.size()) << corner;
        for (int item = 0; item < 3; ++item)
            EXPECT_EQ(item == expected[corner], visit.checked[item]) << corner << " item " << item;
        // The menus are shared: the mark lives only while the menu is open.
        EXPECT_FALSE(AnyItemChecked(CornerMenus[corner])) << corner;
        // It opens where the click was, in screen coordinates.
        POINT at = clicks[corner];
        ClientToScreen(monitor.Handle(), &at);
        EXPECT_EQ(at.x, visit.shownAt.x) << corner;
        EXPECT_EQ(at.y, visit.shownAt.y) << corner;
    }
    EXPECT_FALSE(watch.stuck);
    // Closing a menu without a choice changes nothing and tells no one.
    PumpMessages();
    EXPECT_EQ(style, monitor.Style());
    EXPECT_TRUE(TakeNotifications().empty());
}

TEST(MonitorCornerMenu, ChoosingNeverBottomRightSetsTheStyleAndTellsTheParent)
{
    Monitor monitor(CornersStyle, 10, 10, 184, 170, 3640);
    ASSERT_EQ(0x50000002u, monitor.Style());
    MenuWatch watch(monitor.Handle());
    TakeNotifications();
    watch.Click(160, 125, 2); // "Never"
    ASSERT_EQ(1u, watch.visits.size());
    EXPECT_EQ(CornerMenus[2], watch.visits[0].menu);
    EXPECT_TRUE(watch.visits[0].checked[0]); // it was Default
    PumpMessages();                          // the chosen item arrives as a command
    EXPECT_EQ(0x50000202u, monitor.Style());
    std::vector<Notification> heard = TakeNotifications();
    ASSERT_EQ(1u, heard.size());
    EXPECT_EQ(MAKEWPARAM(3640, 0), heard[0].wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(monitor.Handle()), heard[0].lParam);

    // The same choice again is still reported.
    watch.Click(160, 125, 2);
    PumpMessages();
    EXPECT_EQ(0x50000202u, monitor.Style());
    EXPECT_EQ(1u, TakeNotifications().size());
    ASSERT_EQ(2u, watch.visits.size());
    EXPECT_TRUE(watch.visits[1].checked[2]); // now Never is marked
    EXPECT_FALSE(AnyItemChecked(CornerMenus[2]));
    EXPECT_FALSE(watch.stuck);
}

TEST(MonitorCornerMenu, ControlWithoutMarksStillOpensMenusAndTakesChoices)
{
    Monitor monitor(ChildVisible | MS_NOTHING, 10, 10, 184, 170, 12);
    MenuWatch watch(monitor.Handle());
    watch.Click(20, 120, 1); // bottom-left "Now"
    PumpMessages();
    ASSERT_EQ(1u, watch.visits.size());
    EXPECT_EQ(CornerMenus[3], watch.visits[0].menu);
    EXPECT_EQ(ChildVisible | MS_CBOTLEFTNOW, monitor.Style());
    std::vector<Notification> heard = TakeNotifications();
    ASSERT_EQ(1u, heard.size());
    EXPECT_EQ(MAKEWPARAM(12, 0), heard[0].wParam);
    EXPECT_FALSE(watch.stuck);
}

TEST(MonitorCornerCommand, ProgramsSendTheSameCommandsAsTheMenus)
{
    Monitor monitor(CornersStyle, 10, 10, 184, 170, 3640);
    TakeNotifications();
    auto send = [&](WPARAM wParam) {
        SendMessageA(monitor.Handle(), WM_COMMAND, wParam, 0);
        return TakeNotifications();
    };

    std::vector<Notification> heard = send(0x0202);
    EXPECT_EQ(0x50000202u, monitor.Style());
    ASSERT_EQ(1u, heard.size());
    EXPECT_EQ(MAKEWPARAM(3640, 0), heard[0].wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(monitor.Handle()), heard[0].lParam);

    // The same state again: no change, but the parent hears of it.
    EXPECT_EQ(1u, send(0x0202).size());
    EXPECT_EQ(0x50000202u, monitor.Style());

    // No corner 4, no state 3: ignored, and nobody is told.
    EXPECT_TRUE(send(0x0400).empty());
    EXPECT_EQ(0x50000202u, monitor.Style());
    EXPECT_TRUE(send(0x0003).empty());
    EXPECT_EQ(0x50000202u, monitor.Style());

    // The high word and bits 12 to 15 are not looked at.
    EXPECT_EQ(1u, send(MAKEWPARAM(0xF001, 1)).size()); // top-left Now
    EXPECT_EQ(0x50000212u, monitor.Style());
    EXPECT_EQ(1u, send(0x0201).size()); // bottom-right Never -> Now
    EXPECT_EQ(0x50000112u, monitor.Style());
    EXPECT_EQ(1u, send(0x1100).size()); // top-right Default, as it was
    EXPECT_EQ(0x50000112u, monitor.Style());
    EXPECT_EQ(1u, send(0x0000).size()); // top-left back to Default
    EXPECT_EQ(0x50000102u, monitor.Style());
}

TEST(MonitorCornerCommand, CornerFieldsChangeWhateverTheType)
{
    for (DWORD type : {DWORD{MS_NOTHING}, DWORD{MS_PREVIEW}, DWORD{3}}) {
        Monitor monitor(ChildVisible | type, 10, 10, 184, 170, 5);
        TakeNotifications();
        SendMessageA(monitor.Handle(), WM_COMMAND, 0x0302, 0);
        EXPECT_EQ(ChildVisible | type | MS_CBOTLEFTNEV, monitor.Style()) << type;
        EXPECT_EQ(1u, TakeNotifications().size()) << type;
    }
}

// The warning belongs to the library's start-up; each case starts it
// afresh by clearing the flag, as a new start-up would.
class HotCornerWarning : public ::testing::Test {
protected:
    void TearDown() override
    {
        NoteHotCornerAgent(true);
        AgentWarningShown = FALSE;
    }
};

const char WarningText[] =
    "You must have the System Agent loaded in order for the mouse hot corners to be active.";

TEST_F(HotCornerWarning, ShownOnceWithoutTheSystemAgent)
{
    Monitor monitor(CornersStyle, 10, 10, 184, 170);
    NoteHotCornerAgent(false);
    AgentWarningShown = FALSE;
    BoxesShown boxes;
    // Even a command that is then ignored brings the warning.
    SendMessageA(monitor.Handle(), WM_COMMAND, 0x0003, 0);
    ShownBoxes shown = boxes.List();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("Warning", shown[0].first);
    EXPECT_EQ(WarningText, shown[0].second);
    EXPECT_TRUE(AgentWarningShown);
    EXPECT_EQ(CornersStyle, monitor.Style());
    EXPECT_TRUE(TakeNotifications().empty());

    // Later commands, from this control or another, work without it.
    SendMessageA(monitor.Handle(), WM_COMMAND, 0x0202, 0);
    Monitor other(CornersStyle, 200, 10, 184, 170);
    SendMessageA(other.Handle(), WM_COMMAND, 0x0001, 0);
    EXPECT_EQ(1, boxes.Count());
    EXPECT_EQ(CornersStyle | MS_CBOTRIGHTNEV, monitor.Style());
    EXPECT_EQ(CornersStyle | MS_CTOPLEFTNOW, other.Style());
}

TEST_F(HotCornerWarning, NeverShownWithTheSystemAgent)
{
    Monitor monitor(CornersStyle, 10, 10, 184, 170);
    NoteHotCornerAgent(true);
    AgentWarningShown = FALSE;
    BoxesShown boxes;
    for (WPARAM id : {0x0003, 0x0202, 0x0400, 0x1101})
        SendMessageA(monitor.Handle(), WM_COMMAND, id, 0);
    EXPECT_EQ(0, boxes.Count());
    EXPECT_EQ(CornersStyle | MS_CBOTRIGHTNEV | MS_CTOPRIGHTNOW, monitor.Style());
}

// A command that arrives while the warning is open (the box runs its own
// message loop) must not open a second box over the first.
HWND ReentryTarget = nullptr;
HWND WarningOwner = nullptr;
HHOOK CbtHook = nullptr;

LRESULT CALLBACK SendCommandWhenBoxOpens(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && ReentryTarget) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[16] = "";
        GetClassNameA(box, className, sizeof className);
        if (std::string(className) == "#32770") {
            HWND target = ReentryTarget;
            ReentryTarget = nullptr;
            WarningOwner = GetWindow(box, GW_OWNER);
            SendMessageA(target, WM_COMMAND, 0x0101, 0); // top-right Now
        }
    }
    return CallNextHookEx(CbtHook, code, wParam, lParam);
}

TEST_F(HotCornerWarning, OpensOnlyOnceEvenWhenACommandComesWhileItIsUp)
{
    Monitor monitor(CornersStyle, 10, 10, 184, 170);
    NoteHotCornerAgent(false);
    AgentWarningShown = FALSE;
    BoxesShown boxes;
    ReentryTarget = monitor.Handle();
    WarningOwner = nullptr;
    CbtHook = SetWindowsHookExA(WH_CBT, SendCommandWhenBoxOpens, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, CbtHook);
    SendMessageA(monitor.Handle(), WM_COMMAND, 0x0202, 0);
    UnhookWindowsHookEx(CbtHook);
    EXPECT_EQ(nullptr, ReentryTarget) << "the warning never opened";
    EXPECT_EQ(TestParent(), WarningOwner); // owned by the control's parent
    EXPECT_EQ(1, boxes.Count());
    // Both commands took effect.
    EXPECT_EQ(CornersStyle | MS_CTOPRIGHTNOW | MS_CBOTRIGHTNEV, monitor.Style());
    EXPECT_EQ(2u, TakeNotifications().size());
}

} // namespace
