// Reads the screen-saver switches from a command line. Pure text handling:
// whether a number names a window, and the separate previewer, are asked
// by the caller, so this can be tested and fuzzed without Windows.
#pragma once
#include <cstdint>

#include "saver/scanf_integer.h"

enum class RunMode {
    None,           // no usable switch: the entry fails with 2
    Saver,          // S
    Preview,        // P or L
    Configuration,  // C, or nothing after the program name
    ChangePassword, // A
};

struct CommandLineChoice {
    RunMode Mode = RunMode::None;
    // Configuration: C asks for the foreground window as parent; an empty
    // line has none.
    bool ForegroundParent = false;
    // Preview and change password: where the text from the switch letter
    // on starts (the previewer looks there for its name), and the window
    // number that follows the letter, if one could be read.
    const char *SwitchText = nullptr;
    bool HasNumber = false;
    std::int64_t Number = 0;
    // Preview only: nothing but blanks and colons followed the letter.
    bool NothingAfterSwitch = false;
};

// The bits of the window handle a command-line number names. Window
// handles are 32-bit values in programs of either width; a 64-bit program
// widens one with its sign, as the system does, so 4294967295 and -1 name
// the same handle in both. False for numbers outside [INT32_MIN,
// UINT32_MAX], which name no window.
bool WindowHandleBits(std::int64_t number, std::intptr_t &bits);

// Reads a whole command line, program name included. A null line or a
// quoted program name that never closes gives RunMode::None.
CommandLineChoice ReadCommandLine(const char *line);

