#include "monitor/corner_style.h"

#include "resource_ids.h"

namespace {

constexpr std::uint32_t FirstCornerShift = 4;

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

CornerAction DecodeCorner(std::uint32_t style, int corner)
{
    const std::uint32_t field = style & (3u << CornerShift(corner));
    if (field == CornerNowBits(corner))
        return CornerNow;
    if (field == CornerNeverBits(corner))
        return CornerNever;
    return CornerDefault;
}

void DecodeCorners(std::uint32_t style, CornerAction (&actions)[CornerCount])
{
    for (int corner = 0; corner < CornerCount; ++corner)
        actions[corner] = DecodeCorner(style, corner);
}

std::uint32_t EncodeCorners(std::uint32_t style, const CornerAction (&actions)[CornerCount])
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

bool ReadCornerCommand(unsigned identifier, int &corner, CornerAction &action)
{
    const unsigned commandCorner = (identifier & 0xF00u) >> 8;
    const unsigned commandAction = identifier & 0xFFu;
    if (commandCorner >= static_cast<unsigned>(CornerCount) ||
        commandAction >= static_cast<unsigned>(CornerActionCount))
        return false;
    corner = static_cast<int>(commandCorner);
    action = static_cast<CornerAction>(commandAction);
    return true;
}

unsigned CornerMenuItem(int corner, CornerAction action)
{
    return IDM_CORNER_BASE + IDM_CORNER_STRIDE * static_cast<unsigned>(corner) +
           static_cast<unsigned>(action);
}

std::uint32_t SetCornerAction(std::uint32_t style, int corner, CornerAction action)
{
    if (corner < 0 || corner >= CornerCount)
        return style;
    CornerAction actions[CornerCount];
    DecodeCorners(style, actions);
    actions[corner] = action;
    return EncodeCorners(style, actions);
}
