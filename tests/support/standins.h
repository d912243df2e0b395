// The stand-in system components (password provider, MPR.DLL, hot-corner
// providers) for in-process tests: where they were built, and a scope in
// which the process's library search finds them.
#pragma once
#include <string>

// The Windows path of the directory holding the stand-in libraries.
std::string StandinDirectory();

// While it lives, LoadLibrary also searches the stand-in directory (or,
// with present false, a directory without them, so they are missing).
// MPR.DLL is the exception: Wine has its own, which LoadLibraryA("MPR.DLL")
// returns unless the process was started with mpr=n,b in WINEDLLOVERRIDES
// (and then ours only while the stand-in directory is searched). See
// standins/README.md.
class StandinsOnSearchPath {
public:
    explicit StandinsOnSearchPath(bool present = true);
    ~StandinsOnSearchPath();
    StandinsOnSearchPath(const StandinsOnSearchPath &) = delete;
    StandinsOnSearchPath &operator=(const StandinsOnSearchPath &) = delete;
};
