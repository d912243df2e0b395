// Feeds arbitrary command lines to the reader, the number reader and the
// trace formatter. The sanitizers catch any read or write out of bounds;
// the checks below catch results that point outside the line, and numbers
// read otherwise than the C library's "%i" reads them.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "saver/command_line.h"
#include "saver/scanf_integer.h"
#include "saver/trace_format.h"
#include "tests/support/c_library_reference.h"

namespace {

// The reader saturates at +-INT64_MAX; the C library gives INT64_MIN for a
// negative number beyond 64 bits.
std::int64_t SaturateLikeReader(long long value)
{
    return value == INT64_MIN ? -INT64_MAX : value;
}

// Where the number ends, its value, and its 64-bit overflow, each against
// the C library: sscanf for the first two, strtoull of the digits for the
// last.
void CheckNumberReader(const char *text)
{
    const CLibraryInteger expected = ScanWithCLibrary(text);
    ScannedInteger number;
    const bool read = ScanInteger(text, number);
    Check(read == expected.read);
    std::int64_t value = 12345;
    Check(ReadScanfInteger(text, &value) == read);
    if (!read) {
        Check(value == 12345);
        return;
    }
    Check(number.End == text + expected.consumed);
    Check(value == SaturateLikeReader(expected.value));

    const char *digits = text + std::strspn(text, " \t\n\v\f\r");
    digits += *digits == '+' || *digits == '-';
    errno = 0;
    const unsigned long long magnitude = std::strtoull(digits, nullptr, 0);
    Check(number.Overflowed == (errno == ERANGE));
    if (!number.Overflowed)
        Check(number.Magnitude == magnitude);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char *>(data), size);
    const char *text = line.c_str();
    const char *end = text + std::strlen(text);

    CommandLineChoice choice = ReadCommandLine(text);
    Check(!choice.SwitchText || (choice.SwitchText >= text && choice.SwitchText < end));
    Check(choice.Mode == RunMode::Preview || choice.Mode == RunMode::ChangePassword || !choice.HasNumber);
    if (choice.Mode == RunMode::Preview || choice.Mode == RunMode::ChangePassword) {
        // The window number is what the C library reads after the letter
        // and any blanks and colons, if it reads anything.
        const char *after = choice.SwitchText + 1;
        after += std::strspn(after, " :");
        const CLibraryInteger expected = ScanWithCLibrary(after);
        Check(choice.HasNumber == expected.read);
        Check(!choice.HasNumber || choice.Number == SaturateLikeReader(expected.value));
    }

    CheckNumberReader(text);

    char out[TraceBufferSize];
    FormatTrace(out, text);
    Check(std::strlen(out) < TraceBufferSize);
    FormatPrefixedTrace(out, text, text);
    Check(std::strlen(out) < TraceBufferSize);
    return 0;
}
