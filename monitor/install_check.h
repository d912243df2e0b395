// The loadable library insists on lying in the Windows directory, where
// every saver and dialog editor finds it. These routines decide whether a
// module file is there and word the complaint when it is not; start-up
// shows the complaint only in the loadable-library form.
#pragma once
#include <windows.h>

// Paths are read with a limit of 399 characters into buffers of this size.
constexpr int InstallPathSize = 400;
// The complaint: string 56 (or a fixed fallback) and the expected path.
constexpr int InstallMessageSize = 2000;

// Builds the expected path, the Windows directory with one backslash (added
// only when it does not already end in one) and "dusklit.dll", and compares
// it with moduleFile. The first two characters of each, normally the drive
// letter and colon, take no part, and case does not matter. If upper-casing
// either path does not convert its whole length, the paths count as
// matching. expected receives the expected path as it was compared: drive
// blanked, upper case. Null texts count as empty; long ones are cut to fit.
bool InstallPathMatches(const char *moduleFile, const char *windowsDirectory,
                        char (&expected)[InstallPathSize]);

// Words the complaint into text: string 56 from module, or a fixed text when
// it does not load, then CR LF and the expected path in lower case (the
// path is lower-cased in place). Everything is cut to fit the buffer.
void FormatInstallMessage(HINSTANCE module, char (&expected)[InstallPathSize],
                          char (&text)[InstallMessageSize]);
