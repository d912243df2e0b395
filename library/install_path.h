// The install-directory check's text handling, apart from the system's
// case conversion and string table: which path the loadable library must
// have, whether a module file has it, and the complaint when it has not.
// No Windows headers, so it can be tested and fuzzed natively;
// library/install_check.h puts the system's calls around it.
#pragma once
#include <cstddef>

// Paths are read with a limit of 399 characters into buffers of this size.
constexpr int InstallPathSize = 400;
// The complaint: string 56 (or a fixed fallback) and the expected path.
constexpr int InstallMessageSize = 2000;

// Converts the first length characters of text in place and answers how
// many it converted; the system's conversion follows the code page.
using CaseFunction = std::size_t (*)(char *text, std::size_t length);

// Converts the letters A to Z, or a to z, only; always the whole length.
std::size_t PathUpperCaseAscii(char *text, std::size_t length);
std::size_t PathLowerCaseAscii(char *text, std::size_t length);

// Builds the expected path, the Windows directory with one backslash (added
// only when it does not already end in one) and "dusklit.dll", and compares
// it with moduleFile. The first two characters of each, normally the drive
// letter and colon, take no part, and case does not matter (both are
// upper-cased with upper). If upper does not convert either path's whole
// length, the paths count as matching. expected receives the expected path
// as it was compared: drive blanked, upper case. Null texts count as empty;
// long ones are cut to fit.
bool MatchInstallPath(const char *moduleFile, const char *windowsDirectory,
                      char (&expected)[InstallPathSize], CaseFunction upper);

// Words the complaint into text: message (or a fixed text when it is null
// or empty), then CR LF and the expected path lower-cased in place with
// lower. Everything is cut to fit the buffer.
void ComposeInstallMessage(const char *message, char (&expected)[InstallPathSize],
                           char (&text)[InstallMessageSize], CaseFunction lower);
