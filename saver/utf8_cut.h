// Cutting a text to a buffer without splitting a character. Where the
// process's code page is UTF-8 a character may take up to four bytes, and
// a cut through one leaves a broken sequence that shows as a stray sign.
// Pure byte arithmetic, with no Windows headers, so it is tested natively.
#pragma once
#include <cstddef>

// The length of the longest beginning of text (length bytes) that has at
// most limit bytes and ends between whole UTF-8 characters: a character
// whose bytes do not all fit is left out whole. A text that is not UTF-8
// where the cut falls (more than three continuation bytes in a row) is
// cut at limit, as any other text.
std::size_t Utf8PrefixLength(const char *text, std::size_t length, std::size_t limit);
