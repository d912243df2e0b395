#include "config/dialog_font.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint32_t SetFontStyle = 0x40; // DS_SETFONT; DS_SHELLFONT includes it
constexpr std::size_t PlainHeader = 18;      // style, ex style, count, x, y, cx, cy
constexpr std::size_t ExtendedHeader = 26;   // version, signature, help id, then as above
constexpr std::size_t PlainFontFields = 2;   // point size
constexpr std::size_t ExtendedFontFields = 6; // point size, weight, italic, character set

// Reads the template front to back; any read past its end marks it cut.
struct Reader {
    const unsigned char *bytes;
    std::size_t size;
    std::size_t at = 0;
    bool cut = false;

    std::uint16_t Word()
    {
        if (at + 2 > size) {
            cut = true;
            return 0;
        }
        const std::uint16_t value = static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
        at += 2;
        return value;
    }
    std::uint32_t Dword()
    {
        const std::uint32_t low = Word();
        return low | static_cast<std::uint32_t>(Word()) << 16;
    }
    void Skip(std::size_t count)
    {
        if (at + count > size)
            cut = true;
        else
            at += count;
    }
    // A text ending in a zero character.
    void SkipText()
    {
        while (!cut && Word() != 0) {
        }
    }
    // The menu and class fields: none (0), an ordinal (0xFFFF and a
    // number), or a text.
    void SkipNameOrNumber()
    {
        const std::uint16_t first = Word();
        if (first == 0xFFFF)
            Word();
        else if (first != 0)
            SkipText();
    }
};

std::size_t RoundToDword(std::size_t offset)
{
    return (offset + 3) & ~static_cast<std::size_t>(3);
}

} // namespace

std::vector<unsigned char> WithFontFace(const unsigned char *dialog, std::size_t size,
                                        const char16_t *face)
{
    if (!dialog || !face)
        return {};
    Reader reader = {dialog, size};
    const bool extended = size >= 4 && dialog[0] == 1 && dialog[1] == 0 && dialog[2] == 0xFF && dialog[3] == 0xFF;
    std::uint32_t style;
    if (extended) {
        reader.Skip(12); // version, signature, help id, ex style
        style = reader.Dword();
        reader.Skip(ExtendedHeader - 16);
    } else {
        style = reader.Dword();
        reader.Skip(PlainHeader - 4);
    }
    reader.SkipNameOrNumber(); // menu
    reader.SkipNameOrNumber(); // class
    reader.SkipText();         // caption
    reader.Skip(extended ? ExtendedFontFields : PlainFontFields);
    const std::size_t faceStart = reader.at;
    reader.SkipText();
    if (reader.cut || !(style & SetFontStyle))
        return {};
    const std::size_t itemsStart = RoundToDword(reader.at) < size ? RoundToDword(reader.at) : size;

    std::vector<unsigned char> copy(dialog, dialog + faceStart);
    for (const char16_t *c = face;; ++c) {
        copy.push_back(static_cast<unsigned char>(*c & 0xFF));
        copy.push_back(static_cast<unsigned char>(*c >> 8));
        if (*c == 0)
            break;
    }
    copy.resize(RoundToDword(copy.size()), 0);
    copy.insert(copy.end(), dialog + itemsStart, dialog + size);
    return copy;
}
