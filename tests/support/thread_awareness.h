// The calling thread's DPI awareness (0 unaware, 1 system aware, 2 per
// monitor), looked up at run time as the framework does; -1 without it.
#pragma once
#include <windows.h>

inline int ThreadDpiAwareness()
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto thread = reinterpret_cast<DPI_AWARENESS_CONTEXT(WINAPI *)()>(
        reinterpret_cast<void *>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    const auto awareness = reinterpret_cast<int(WINAPI *)(DPI_AWARENESS_CONTEXT)>(
        reinterpret_cast<void *>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    return thread && awareness ? awareness(thread()) : -1;
}
