#include "tests/driver/input.h"

namespace driver {

namespace {

LPARAM KeyBits(UINT virtualKey, bool releasing)
{
    UINT scanCode = MapVirtualKeyA(virtualKey, 0 /* MAPVK_VK_TO_VSC */) & 0xFF;
    LPARAM bits = 1 | (static_cast<LPARAM>(scanCode) << 16);  // repeat count 1
    if (releasing)
        bits |= static_cast<LPARAM>(0xC0000000UL);  // was down, is being released
    return bits;
}

LPARAM Point(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

UINT DownMessage(MouseButton button)
{
    switch (button) {
    case MouseButton::Right: return WM_RBUTTONDOWN;
    case MouseButton::Middle: return WM_MBUTTONDOWN;
    default: return WM_LBUTTONDOWN;
    }
}

UINT UpMessage(MouseButton button)
{
    switch (button) {
    case MouseButton::Right: return WM_RBUTTONUP;
    case MouseButton::Middle: return WM_MBUTTONUP;
    default: return WM_LBUTTONUP;
    }
}

WPARAM HeldMask(MouseButton button)
{
    switch (button) {
    case MouseButton::Right: return MK_RBUTTON;
    case MouseButton::Middle: return MK_MBUTTON;
    default: return MK_LBUTTON;
    }
}

bool SendOne(INPUT &input)
{
    return SendInput(1, &input, sizeof input) == 1;
}

bool SendKey(UINT virtualKey, bool releasing)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(virtualKey);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, 0));
    input.ki.dwFlags = releasing ? KEYEVENTF_KEYUP : 0;
    return SendOne(input);
}

bool SendButton(MouseButton button, bool releasing)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    switch (button) {
    case MouseButton::Right:
        input.mi.dwFlags = releasing ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_RIGHTDOWN;
        break;
    case MouseButton::Middle:
        input.mi.dwFlags = releasing ? MOUSEEVENTF_MIDDLEUP : MOUSEEVENTF_MIDDLEDOWN;
        break;
    default:
        input.mi.dwFlags = releasing ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
        break;
    }
    return SendOne(input);
}

}  // namespace

void PostKeyDown(HWND window, UINT virtualKey)
{
    PostMessageA(window, WM_KEYDOWN, virtualKey, KeyBits(virtualKey, false));
}

void PostKeyUp(HWND window, UINT virtualKey)
{
    PostMessageA(window, WM_KEYUP, virtualKey, KeyBits(virtualKey, true));
}

void PostKeyPress(HWND window, UINT virtualKey)
{
    PostKeyDown(window, virtualKey);
    PostKeyUp(window, virtualKey);
}

void PostMouseMove(HWND window, int x, int y, WPARAM buttonsHeld)
{
    PostMessageA(window, WM_MOUSEMOVE, buttonsHeld, Point(x, y));
}

void PostMouseDown(HWND window, MouseButton button, int x, int y)
{
    PostMessageA(window, DownMessage(button), HeldMask(button), Point(x, y));
}

void PostMouseUp(HWND window, MouseButton button, int x, int y)
{
    PostMessageA(window, UpMessage(button), 0, Point(x, y));
}

void PostMouseClick(HWND window, MouseButton button, int x, int y)
{
    PostMouseDown(window, button, x, y);
    PostMouseUp(window, button, x, y);
}

void PostCloseRequest(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

bool SendKeyDown(UINT virtualKey)
{
    return SendKey(virtualKey, false);
}

bool SendKeyUp(UINT virtualKey)
{
    return SendKey(virtualKey, true);
}

bool SendKeyPress(UINT virtualKey)
{
    return SendKeyDown(virtualKey) && SendKeyUp(virtualKey);
}

bool SendMouseMoveTo(int screenX, int screenY)
{
    // Absolute coordinates run from 0 to 65535 across the primary screen.
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 1 || height <= 1)
        return false;
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((static_cast<long long>(screenX) * 65535 + (width - 1) / 2) / (width - 1));
    input.mi.dy = static_cast<LONG>((static_cast<long long>(screenY) * 65535 + (height - 1) / 2) / (height - 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return SendOne(input);
}

bool SendMouseClick(MouseButton button)
{
    return SendButton(button, false) && SendButton(button, true);
}

}  // namespace driver
