// Builds trace lines. Pure text handling, kept apart from the Win32 output
// call so it can be tested and fuzzed natively.
#pragma once
#include <cstddef>
#include <cstdint>

// The trace buffer's size: a line, its prefix and suffix fit in 199 characters.
constexpr std::size_t TraceBufferSize = 200;

// Suffixes that make trace lines stand out in a debugger's output window.
constexpr const char *TraceSuffix = "___________  \n\r";
constexpr const char *PrefixedTraceSuffix = "_________  \n\r";

// Writes text + TraceSuffix into out (TraceBufferSize bytes). A text too
// long for the buffer is cut so that the suffix still ends the line.
void FormatTrace(char *out, const char *text);
// Writes the trace of a thread message into out (size bytes): its number
// and parameters in hexadecimal, each as wide as it is (64 bits in a
// 64-bit program).
void FormatThreadMessage(char *out, std::size_t size, unsigned message, std::uintptr_t wParam,
                         std::uintptr_t lParam);
// Writes prefix + ": " + text + PrefixedTraceSuffix, cut the same way.
void FormatPrefixedTrace(char *out, const char *prefix, const char *text);
