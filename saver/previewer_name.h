// Whether a preview switch names the separate previewer: pure text
// handling, so it can be tested and fuzzed without Windows. Lower-casing is
// passed in: the framework uses the system's, which follows the code page.
#pragma once
#include <cstddef>

// The previewer's name and the copy of the switch text each fit 99
// characters and the terminating zero.
constexpr std::size_t PreviewerTextSize = 100;

// Lower-cases length characters of text in place.
using LowerCaseFunction = void (*)(char *text, std::size_t length);

// Lower-cases the letters A to Z only.
void LowerCaseAscii(char *text, std::size_t length);

// Copies into word the word that follows the switch letter in text (the
// command line from the letter on): only the first 99 characters of text
// count; the letter is skipped, then any blanks; the word ends at the next
// blank or at the end. Returns its length. A null text gives an empty word.
std::size_t PreviewerWordAfterSwitch(const char *text, char (&word)[PreviewerTextSize]);

// True when that word, lower-cased with lower, is exactly lowerCaseName.
bool SwitchNamesPreviewer(const char *text, const char *lowerCaseName, LowerCaseFunction lower = LowerCaseAscii);
