// The framework's debug output: a trace on the debug-output channel and
// message boxes for programming errors. All three are silent unless the
// Debug preference is on, so a released saver says nothing.
#pragma once
#include <windows.h>

void ScrTrace(const char *text);
void ScrTracePrefixed(const char *prefix, const char *text);
void ScrDebugMessageBox(HWND owner, const char *text, const char *caption);
