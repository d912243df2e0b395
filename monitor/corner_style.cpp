#include "monitor/corner_style.h"

namespace {

constexpr std::uint32_t FirstCornerShift = 4;
constexpr unsigned CornerMenuBase = 0x1000;
constexpr unsigned CornerMenuStride = 0x100;

std::uint32_t CornerShift(int corner)
{
    return FirstCornerShift + 2u * static_cast<std::uint32_t>(corner);
}

} // namespace

bool HasScreenWindow(std::uint32_t style)
{
    return (style & MonitorTypeMask) == MonitorTypePreview;
}

bool ShowsCornerMarks(std::uint32_t style)
{
    return (style & MonitorTypeMask) == MonitorTypeCorners;
}

std::uint32_t CornerNowBits(int corner)
{
    return static_cast<std::uint32_t>(CornerNow) << CornerShift(corner);
}

std::uint32_t CornerNeverBits(int corner)
{
    return static_cast<std::uint32_t>(CornerNever) << CornerShift(corner);
}

int DecodeCorner(std::uint32_t style, int corner)
{
    const std::uint32_t field = style & (3u << CornerShift(corner));
    if (field == CornerNowBits(corner))
        return CornerNow;
    if (field == CornerNeverBits(corner))
        return CornerNever;
    return CornerDefault;
}

void DecodeCorners(std::uint32_t style, int (&actions)[CornerCount])
{
    for (int corner = 0; corner < CornerCount; ++corner)
        actions[corner] = DecodeCorner(style, corner);
}

std::uint32_t EncodeCorners(std::uint32_t style, const int (&actions)[CornerCount])
{
    style &= ~CornerFieldsMask;
    for (int corner = 0; corner < CornerCount; ++corner) {
        if (actions[corner] == CornerNow)
            style |= CornerNowBits(corner);
        else if (actions[corner] == CornerNever)
            style |= CornerNeverBits(corner);
    }
    return style;
}

bool ReadCornerCommand(unsigned identifier, int &corner, int &action)
{
    const unsigned commandCorner = (identifier & 0xF00u) >> 8;
    const unsigned commandAction = identifier & 0xFFu;
    if (commandCorner >= static_cast<unsigned>(CornerCount) ||
        commandAction >= static_cast<unsigned>(CornerActionCount))
        return false;
    corner = static_cast<int>(commandCorner);
    action = static_cast<int>(commandAction);
    return true;
}

unsigned CornerMenuItem(int corner, int action)
{
    return CornerMenuBase + CornerMenuStride * static_cast<unsigned>(corner) +
           static_cast<unsigned>(action);
}

std::uint32_t SetCornerAction(std::uint32_t style, int corner, int action)
{
    if (corner < 0 || corner >= CornerCount)
        return style;
    int actions[CornerCount];
    DecodeCorners(style, actions);
    actions[corner] = action;
    return EncodeCorners(style, actions);
}
