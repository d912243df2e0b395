// Feeds the General page's readers what a user can type and what another
// program can put into the monitor control's style or send as a corner
// command. The input is a 32-bit style, a 32-bit command identifier, a
// unit byte, then the text. The typed delay and the sensitivity threshold
// are held to the C library's "%i"; the corner fields to round trips.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "config/general_logic.h"
#include "monitor/corner_style.h"
#include "tests/support/c_library_reference.h"

namespace {

std::uint32_t Read32(const std::uint8_t *data)
{
    return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
           static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

void CheckTypedDelay(const char *text, std::int32_t unit)
{
    const CLibraryInteger typed = ScanWithCLibrary(text);
    std::int32_t seconds = 777;
    const bool negative = typed.read && typed.value < 0;
    Check(ReadTypedDelay(text, unit, seconds) == (typed.read && !negative));
    if (!typed.read || negative) {
        Check(seconds == 777);
        return;
    }
    const std::int32_t number = SaturateTo32Bits(typed.value);
    Check(seconds == (unit == DelayUnitMinutes ? SaturateTo32Bits(number * 60LL) : number));

    // What the Wait box then shows reads back as the same delay, in whole
    // minutes when the unit is minutes.
    char shown[16];
    std::snprintf(shown, sizeof shown, "%d", static_cast<int>(ShownDelay(seconds, unit)));
    std::int32_t again = 0;
    Check(ReadTypedDelay(shown, unit, again));
    Check(again == (unit == DelayUnitMinutes ? seconds / 60 * 60 : seconds));
}

void CheckSensitivityEntry(const char *text)
{
    const std::string entry(text);
    const std::size_t comma = entry.rfind(',');
    Check(SensitivityNameLength(text) == (comma == std::string::npos ? entry.size() : comma));

    std::int32_t threshold = 777;
    const CLibraryInteger expected =
        comma == std::string::npos ? CLibraryInteger() : ScanWithCLibrary(text + comma + 1);
    Check(ReadSensitivityThreshold(text, threshold) == expected.read);
    Check(threshold == (expected.read ? SaturateTo32Bits(expected.value) : 777));
}

void CheckCornerStyle(std::uint32_t style, unsigned identifier)
{
    CornerAction actions[CornerCount];
    DecodeCorners(style, actions);
    for (int corner = 0; corner < CornerCount; ++corner)
        Check(actions[corner] >= CornerDefault && actions[corner] <= CornerNever);
    // Writing back what was read keeps every bit outside the corner fields
    // and reads the same again.
    const std::uint32_t rewritten = EncodeCorners(style, actions);
    Check((rewritten & ~CornerFieldsMask) == (style & ~CornerFieldsMask));
    Check(HasScreenWindow(rewritten) == HasScreenWindow(style));
    Check(ShowsCornerMarks(rewritten) == ShowsCornerMarks(style));
    CornerAction again[CornerCount];
    DecodeCorners(rewritten, again);
    Check(std::memcmp(actions, again, sizeof actions) == 0);

    // A corner command: corner in bits 8 to 11, action in bits 0 to 7.
    int corner = -1;
    CornerAction action = CornerAction(0xFF);
    const unsigned wantCorner = (identifier >> 8) & 0xF;
    const unsigned wantAction = identifier & 0xFF;
    const bool read = ReadCornerCommand(identifier, corner, action);
    Check(read == (wantCorner < 4 && wantAction < 3));
    if (!read) {
        Check(corner == -1 && action == CornerAction(0xFF));
        return;
    }
    Check(corner == static_cast<int>(wantCorner) && action == static_cast<int>(wantAction));
    Check((CornerMenuItem(corner, action) & 0xFFF) == (identifier & 0xFFF));

    // It changes its own corner and nothing else.
    const std::uint32_t changed = SetCornerAction(style, corner, action);
    Check((changed & ~CornerFieldsMask) == (style & ~CornerFieldsMask));
    CornerAction after[CornerCount];
    DecodeCorners(changed, after);
    for (int other = 0; other < CornerCount; ++other)
        Check(after[other] == (other == corner ? action : actions[other]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 9)
        return 0;
    const std::uint32_t style = Read32(data);
    const unsigned identifier = Read32(data + 4);
    const std::int32_t unit = static_cast<std::int8_t>(data[8]);
    const std::string text(reinterpret_cast<const char *>(data + 9), size - 9);
    // Exactly the text's size, so the sanitizers see a read past its end.
    std::unique_ptr<char[]> exact(new char[text.size() + 1]);
    std::memcpy(exact.get(), text.c_str(), text.size() + 1);

    CheckTypedDelay(exact.get(), unit);
    CheckSensitivityEntry(exact.get());
    CheckCornerStyle(style, identifier);
    return 0;
}
