#include "saver/utf8_cut.h"

namespace {

// 10xxxxxx: the second, third or fourth byte of a character.
bool IsContinuation(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0u) == 0x80u;
}

} // namespace

std::size_t Utf8PrefixLength(const char *text, std::size_t length, std::size_t limit)
{
    if (length <= limit)
        return length;
    // The first byte left out: while it continues a character, that
    // character began inside the kept part and goes with it.
    std::size_t cut = limit;
    for (int back = 0; back < 3 && cut > 0 && IsContinuation(text[cut]); ++back)
        --cut;
    return IsContinuation(text[cut]) ? limit : cut;
}
