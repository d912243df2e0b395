#include "saver/real_input.h"

#include <cstdlib>

namespace {

constexpr LONG CursorSlack = 4;

bool SystemKeyHeld(int key)
{
    return ((GetKeyState(key) | GetAsyncKeyState(key)) & 0x8000) != 0;
}

bool Down(int key)
{
    return KeyHeld(key);
}

} // namespace

bool (*KeyHeld)(int key) = SystemKeyHeld;

bool KeyReallyDown(UINT key)
{
    return Down(static_cast<int>(key));
}

// The state as of the message names the buttons as the messages do; the
// state right now names the physical ones, and with the buttons swapped
// the right button's messages come from the left one.
bool RightButtonReallyDown(HWND window, LPARAM point)
{
    if (!Down(VK_RBUTTON) && !Down(GetSystemMetrics(SM_SWAPBUTTON) ? VK_LBUTTON : VK_RBUTTON))
        return false;
    POINT said = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    POINT cursor = {};
    if (!ClientToScreen(window, &said) || !GetCursorPos(&cursor))
        return false;
    return std::labs(said.x - cursor.x) <= CursorSlack && std::labs(said.y - cursor.y) <= CursorSlack;
}
