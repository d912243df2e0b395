// A display-state report as the system hands it to a window with
// WM_POWERBROADCAST: the console's display state, the data's length and
// the state (0 off, 1 on, 2 dimmed).
#pragma once
#include <windows.h>

struct DisplayReport {
    GUID setting = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    DWORD length = sizeof(DWORD);
    DWORD state = 1;
};
constexpr WPARAM PowerSettingChange = 0x8013; // PBT_POWERSETTINGCHANGE
