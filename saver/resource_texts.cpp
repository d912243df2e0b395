#include "saver/resource_texts.h"

#include <cstring>

#include "library/module.h"
#include "saver/run_state.h"
#include "saver/utf8_cut.h"

namespace {

// Room for every character of a text that fits the buffer in a one-byte
// code page, in the longest form UTF-8 gives them.
constexpr int WideEnough = TextBufferSize * 4;

bool LoadFrom(HINSTANCE module, UINT id, TextBuffer &text)
{
    text[0] = '\0';
    char loaded[WideEnough];
    if (!module || LoadStringA(module, id, loaded, WideEnough - 1) <= 0)
        return false;
    // 98 bytes at most, as the string load itself always gave.
    return CopyWholeCharacters(text, TextBufferSize - 1, loaded) > 0;
}

} // namespace

std::size_t KeptLength(const char *text, std::size_t length, std::size_t limit)
{
    if (length <= limit)
        return length;
    return GetACP() == CP_UTF8 ? Utf8PrefixLength(text, length, limit) : limit;
}

std::size_t CopyWholeCharacters(char *to, std::size_t size, const char *from)
{
    const std::size_t kept = KeptLength(from, std::strlen(from), size - 1);
    std::memcpy(to, from, kept);
    to[kept] = '\0';
    return kept;
}

bool LoadLibraryText(UINT id, TextBuffer &text)
{
    return LoadFrom(ScrLibraryInstance, id, text);
}

bool LoadSaverText(UINT id, TextBuffer &text)
{
    return LoadFrom(ModuleInstance, id, text) || LoadFrom(ScrLibraryInstance, id, text);
}
