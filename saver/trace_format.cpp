#include "saver/trace_format.h"

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
