// The pixel format of a saver window: double-buffered RGBA that OpenGL
// draws into, with as much of the depth and multisampling asked for as
// the driver offers.
#pragma once
#include <windows.h>

// Whether the window of dc can draw a saver's frames with a context: the
// format it has already (a window takes one format in its life, so a
// second attach reuses it when it is fit), or a format chosen now and set.
// False when the window's format is unfit or none can be set.
bool SetSaverPixelFormat(HDC dc, LONG depthBits, LONG samples);

// The extension is in the WGL extension string of the context current on
// this thread.
bool HasWglExtension(HDC dc, const char *name);
