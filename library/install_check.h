// The loadable library insists on lying in the Windows directory, where
// every saver and dialog editor finds it. These routines decide whether a
// module file is there and word the complaint when it is not, with the
// system's case conversion and string table; start-up shows the complaint
// only in the loadable-library form.
#pragma once
#include <windows.h>

#include "library/install_path.h"

// MatchInstallPath with the system's upper-casing (CharUpperBuffA).
bool InstallPathMatches(const char *moduleFile, const char *windowsDirectory,
                        char (&expected)[InstallPathSize]);

// Words the complaint into text: string 56 from module, or a fixed text when
// it does not load, then CR LF and the expected path in lower case (the
// path is lower-cased in place with CharLowerBuffA). Everything is cut to
// fit the buffer.
void FormatInstallMessage(HINSTANCE module, char (&expected)[InstallPathSize],
                          char (&text)[InstallMessageSize]);
