// Loading the framework's texts. Texts live in 100-byte buffers (99
// characters and the zero); a text that cannot be loaded makes the step
// that needs it do nothing, so callers test the result.
#pragma once
#include <windows.h>

#include <cstddef>

constexpr int TextBufferSize = 100;
using TextBuffer = char[TextBufferSize];

// From the library's module. True when at least one character loaded.
bool LoadLibraryText(UINT id, TextBuffer &text);
// From the saver's module first, then the library's.
bool LoadSaverText(UINT id, TextBuffer &text);

// How many of the first length bytes of text to keep within limit bytes:
// all that fit, and where the process's code page is UTF-8 only whole
// characters.
std::size_t KeptLength(const char *text, std::size_t length, std::size_t limit);
// Copies from into to (size bytes, size > 0), cut to size - 1 bytes and
// terminated; where the process's code page is UTF-8 the cut falls
// between whole characters. The bytes copied.
std::size_t CopyWholeCharacters(char *to, std::size_t size, const char *from);
