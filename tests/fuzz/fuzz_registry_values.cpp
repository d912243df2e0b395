// Feeds registry values of every type and length to the settings decoder.
// The input is a run of records, each [value][type][length][bytes...]:
// the first byte picks which of the seven settings values is read, the
// second the type it was stored with, the third how many of the following
// bytes it holds. The type shapes the bytes the way a value query hands
// them over (strings end in a zero, REG_DWORD is 4 bytes, REG_QWORD 8).
// Each value is decoded from a heap block of exactly its size, so the
// sanitizers catch a read past its end, and the checks below hold the
// results to the rules of the registry form.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "config/settings_codec.h"

namespace {

// The value types of the registry, by number.
enum : std::uint8_t {
    TypeNone = 0,
    TypeString = 1,
    TypeExpandString = 2,
    TypeBinary = 3,
    TypeDword = 4,
    TypeDwordBigEndian = 5,
    TypeLink = 6,
    TypeMultiString = 7,
    TypeQword = 11,
    TypeHighest = 11,
};

enum Setting : std::uint8_t {
    PasswordDelay,
    PasswordDelayIndex,
    MouseThreshold,
    MouseThresholdIndex,
    MouseCorners,
    MuteSound,
    ActiveConfig,
    SettingCount,
};

struct Settings {
    std::int32_t numbers[SettingCount] = {60, 0, 0, 0, 0, 0, 0};
    std::uint8_t corners[CornerCountInValue] = {};
};

void Check(bool holds)
{
    if (!holds)
        std::abort();
}

// The bytes a query reports for a value of this type.
std::vector<std::uint8_t> Shape(std::uint8_t type, const std::uint8_t *data, std::size_t length)
{
    std::vector<std::uint8_t> bytes(data, data + length);
    switch (type) {
    case TypeString:
    case TypeExpandString:
        bytes.push_back(0);
        break;
    case TypeMultiString:
        bytes.push_back(0);
        bytes.push_back(0);
        break;
    case TypeDword:
    case TypeDwordBigEndian:
        bytes.resize(4);
        break;
    case TypeQword:
        bytes.resize(8);
        break;
    default:
        break;
    }
    return bytes;
}

// A heap block of exactly the value's size (none for an empty value), so
// that any read beyond the value is out of bounds.
std::uint8_t *ExactCopy(const std::vector<std::uint8_t> &bytes)
{
    if (bytes.empty())
        return nullptr;
    std::uint8_t *exact = new std::uint8_t[bytes.size()];
    std::memcpy(exact, bytes.data(), bytes.size());
    return exact;
}

// What the number should be: the value copied into a zeroed 4-byte
// buffer, read as a little-endian number from its top byte down.
std::int32_t ExpectedNumber(const std::vector<std::uint8_t> &bytes)
{
    std::uint8_t buffer[NumberValueSize] = {};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        buffer[i] = bytes[i];
    std::uint32_t value = 0;
    for (std::size_t i = NumberValueSize; i-- > 0;)
        value = (value << 8) | buffer[i];
    return static_cast<std::int32_t>(value);
}

void ReadNumber(Settings &settings, Setting which, const std::vector<std::uint8_t> &bytes)
{
    std::uint8_t *exact = ExactCopy(bytes);

    const std::int32_t before = settings.numbers[which];
    std::int32_t &field = settings.numbers[which];
    const bool read = DecodeNumberValue(exact, bytes.size(), field);
    delete[] exact;

    Check(read == (bytes.size() <= NumberValueSize));
    Check(read ? field == ExpectedNumber(bytes) : field == before);

    // The limits as the settings store applies them: the delay index only
    // after a read, the threshold index always.
    const std::uint32_t stored = static_cast<std::uint32_t>(field);
    if (which == PasswordDelayIndex && read) {
        field = ClampPasswordDelayIndex(field);
        Check(field == (stored > 1 ? 1 : static_cast<std::int32_t>(stored)));
    }
    if (which == MouseThresholdIndex) {
        field = ClampMouseThresholdIndex(field);
        Check(field == (stored > 3 ? 3 : static_cast<std::int32_t>(stored)));
    }
}

void ReadCorners(Settings &settings, const std::vector<std::uint8_t> &bytes)
{
    std::uint8_t *exact = ExactCopy(bytes);

    std::uint8_t before[CornerCountInValue];
    std::memcpy(before, settings.corners, sizeof before);
    const bool read = DecodeCornersValue(exact, bytes.size(), settings.corners);
    delete[] exact;

    Check(read == (bytes.size() <= CornersValueSize));
    if (!read) {
        Check(std::memcmp(before, settings.corners, sizeof before) == 0);
        return;
    }
    for (std::size_t i = 0; i < CornerCountInValue; ++i) {
        const std::uint8_t expected = i >= bytes.size() ? CornerDefault
                                      : bytes[i] == 'Y' ? CornerNow
                                      : bytes[i] == 'N' ? CornerNever
                                                        : CornerDefault;
        Check(settings.corners[i] == expected);
    }

    // What is read is written back the same way, and reads the same again.
    char text[CornersValueSize];
    EncodeCornersValue(settings.corners, text);
    Check(text[CornerCountInValue] == '\0');
    std::uint8_t again[CornerCountInValue] = {};
    Check(DecodeCornersValue(reinterpret_cast<const std::uint8_t *>(text), sizeof text, again));
    Check(std::memcmp(again, settings.corners, sizeof again) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Settings settings;
    std::size_t at = 0;
    while (size - at >= 3) {
        const Setting which = static_cast<Setting>(data[at] % SettingCount);
        const std::uint8_t type = static_cast<std::uint8_t>(data[at + 1] % (TypeHighest + 1));
        std::size_t length = data[at + 2];
        at += 3;
        if (length > size - at)
            length = size - at;
        const std::vector<std::uint8_t> bytes = Shape(type, data + at, length);
        at += length;

        if (which == MouseCorners)
            ReadCorners(settings, bytes);
        else
            ReadNumber(settings, which, bytes);
    }
    return 0;
}
