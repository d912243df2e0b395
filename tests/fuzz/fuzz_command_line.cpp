// Feeds arbitrary command lines to the reader and arbitrary texts to the
// trace formatter. The sanitizers catch any read or write out of bounds;
// the checks below catch results that point outside the line.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "saver/command_line.h"
#include "saver/trace_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char *>(data), size);
    const char *text = line.c_str();
    const char *end = text + std::strlen(text);

    CommandLineChoice choice = ReadCommandLine(text);
    if (choice.SwitchText && (choice.SwitchText < text || choice.SwitchText >= end))
        std::abort();
    if (choice.Mode != RunMode::Preview && choice.Mode != RunMode::ChangePassword && choice.HasNumber)
        std::abort();

    std::int64_t value = 0;
    ReadScanfInteger(text, &value);

    char out[TraceBufferSize];
    FormatTrace(out, text);
    if (std::strlen(out) >= TraceBufferSize)
        std::abort();
    FormatPrefixedTrace(out, text, text);
    if (std::strlen(out) >= TraceBufferSize)
        std::abort();
    return 0;
}
