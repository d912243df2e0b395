// A copy of a dialog template in memory with another font face, for a page
// whose template names a face that does not grow with the display. No
// Windows headers, so it is tested natively.
#pragma once
#include <cstddef>
#include <vector>

// The template's bytes (DIALOG or DIALOGEX form, as LoadResource gives
// them) with its font face replaced by face; every item is kept byte for
// byte on the same 4-byte alignment. Empty when the template names no font
// (no DS_SETFONT) or is cut short anywhere before its items, so the caller
// keeps the template as it is.
std::vector<unsigned char> WithFontFace(const unsigned char *dialog, std::size_t size,
                                        const char16_t *face);
