#include "saver/debug_output.h"

#include "saver/prefs.h"
#include "saver/trace_format.h"

static bool DebugOn()
{
    return CurrentPrefs.Debug != 0;
}

void ScrTrace(const char *text)
{
    if (!DebugOn())
        return;
    char line[TraceBufferSize];
    FormatTrace(line, text);
    OutputDebugStringA(line);
}

void ScrTracePrefixed(const char *prefix, const char *text)
{
    if (!DebugOn())
        return;
    char line[TraceBufferSize];
    FormatPrefixedTrace(line, prefix, text);
    OutputDebugStringA(line);
}

void ScrDebugMessageBox(HWND owner, const char *text, const char *caption)
{
    if (!DebugOn())
        return;
    MessageBoxA(owner, text, caption, MB_OK);
}
