#include "saver/trace_format.h"

#include <cstdio>
#include <cstring>

namespace {

// Appends as much of text as fits before `reserve` bytes of room remain.
std::size_t AppendBounded(char *out, std::size_t used, const char *text, std::size_t reserve)
{
    if (!text)
        return used;
    const std::size_t limit = TraceBufferSize - 1 - reserve;
    while (*text && used < limit)
        out[used++] = *text++;
    return used;
}

void Finish(char *out, std::size_t used, const char *suffix)
{
    // The suffix always fits: room for it was reserved by every append.
    std::size_t n = std::strlen(suffix);
    std::memcpy(out + used, suffix, n);
    out[used + n] = '\0';
}

} // namespace

void FormatTrace(char *out, const char *text)
{
    const std::size_t reserve = std::strlen(TraceSuffix);
    std::size_t used = AppendBounded(out, 0, text, reserve);
    Finish(out, used, TraceSuffix);
}

void FormatPrefixedTrace(char *out, const char *prefix, const char *text)
{
    const std::size_t reserve = std::strlen(PrefixedTraceSuffix);
    std::size_t used = AppendBounded(out, 0, prefix, reserve);
    used = AppendBounded(out, used, ": ", reserve);
    used = AppendBounded(out, used, text, reserve);
    Finish(out, used, PrefixedTraceSuffix);
}

void FormatThreadMessage(char *out, std::size_t size, unsigned message, std::uintptr_t wParam,
                         std::uintptr_t lParam)
{
    std::snprintf(out, size, "Thread message: msg=%x wParam=%llx lParam=%llx", message,
                  static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam));
}
