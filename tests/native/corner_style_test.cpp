// The monitor control's style: its type, the four corner fields and the
// corner commands that rewrite them.
#include "monitor/corner_style.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::uint32_t ChildVisible = 0x50000000; // WS_CHILD | WS_VISIBLE

} // namespace

TEST(MonitorCornerStyle, TypeDecidesScreenWindowAndMarks)
{
    struct {
        std::uint32_t style;
        bool screen, marks;
    } cases[] = {
        {ChildVisible | 0x0, false, false},    // nothing
        {ChildVisible | 0x1, true, false},     // preview
        {ChildVisible | 0x2, false, true},     // corners
        {ChildVisible | 0x3, false, false},    // unnamed: like nothing
        {ChildVisible | 0xFF2, false, true},   // corner fields do not change the type
        {ChildVisible | 0xFF1, true, false},
        {0xFFFFFFFC, false, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.screen, HasScreenWindow(c.style)) << std::hex << c.style;
        EXPECT_EQ(c.marks, ShowsCornerMarks(c.style)) << std::hex << c.style;
    }
}

TEST(MonitorCornerStyle, EachCornerReadsItsOwnTwoBits)
{
    const std::uint32_t now[CornerCount] = {0x010, 0x040, 0x100, 0x400};
    const std::uint32_t never[CornerCount] = {0x020, 0x080, 0x200, 0x800};
    for (int corner = 0; corner < CornerCount; ++corner) {
        EXPECT_EQ(now[corner], CornerNowBits(corner));
        EXPECT_EQ(never[corner], CornerNeverBits(corner));
        for (int other = 0; other < CornerCount; ++other) {
            const int expectedNow = other == corner ? CornerNow : CornerDefault;
            const int expectedNever = other == corner ? CornerNever : CornerDefault;
            EXPECT_EQ(expectedNow, DecodeCorner(ChildVisible | 0x2 | now[corner], other));
            EXPECT_EQ(expectedNever, DecodeCorner(ChildVisible | 0x2 | never[corner], other));
        }
        // Both bits set is the value 3, never written, read as Default.
        EXPECT_EQ(CornerDefault, DecodeCorner(now[corner] | never[corner], corner));
    }
    // The type and the ordinary window style bits play no part.
    CornerAction actions[CornerCount];
    DecodeCorners(0xFFFFF00F, actions);
    for (int action : actions)
        EXPECT_EQ(CornerDefault, action);
    DecodeCorners(ChildVisible | 0x2 | 0x010 | 0x080 | 0x300 | 0x400, actions);
    EXPECT_EQ(CornerNow, actions[CornerTopLeft]);
    EXPECT_EQ(CornerNever, actions[CornerTopRight]);
    EXPECT_EQ(CornerDefault, actions[CornerBottomRight]);
    EXPECT_EQ(CornerNow, actions[CornerBottomLeft]);
}

TEST(MonitorCornerStyle, EncodingRewritesOnlyTheCornerFields)
{
    const CornerAction mixed[CornerCount] = {CornerNever, CornerDefault, CornerNow, CornerNever};
    EXPECT_EQ(ChildVisible | 0x2 | 0x020 | 0x100 | 0x800, EncodeCorners(ChildVisible | 0x2, mixed));
    // Whatever the fields held before is replaced, even the unused value 3.
    EXPECT_EQ(ChildVisible | 0x1 | 0x020 | 0x100 | 0x800,
              EncodeCorners(ChildVisible | 0x1 | 0xFF0, mixed));
    // Bits outside the fields, unused bits 2 and 3 included, are kept.
    const CornerAction none[CornerCount] = {};
    EXPECT_EQ(0xFFFFF00Fu, EncodeCorners(0xFFFFFFFF, none));
    // An action that is neither Now nor Never is stored as Default.
    const CornerAction odd[CornerCount] = {CornerAction(3), CornerAction(0xFF), CornerAction(7), CornerNow};
    EXPECT_EQ(0x400u, EncodeCorners(0, odd));

    // Every combination of actions survives encoding and decoding.
    for (int code = 0; code < 81; ++code) {
        CornerAction actions[CornerCount];
        for (int corner = 0, rest = code; corner < CornerCount; ++corner, rest /= 3)
            actions[corner] = static_cast<CornerAction>(rest % 3);
        CornerAction back[CornerCount];
        DecodeCorners(EncodeCorners(ChildVisible | 0x2, actions), back);
        for (int corner = 0; corner < CornerCount; ++corner)
            EXPECT_EQ(actions[corner], back[corner]) << code << " corner " << corner;
    }
}

TEST(MonitorCornerStyle, CommandsCarryCornerAndAction)
{
    int corner = -1;
    CornerAction action = CornerAction(0xFF);
    ASSERT_TRUE(ReadCornerCommand(0x1202, corner, action)); // menu item: bottom-right Never
    EXPECT_EQ(CornerBottomRight, corner);
    EXPECT_EQ(CornerNever, action);
    ASSERT_TRUE(ReadCornerCommand(0x0202, corner, action)); // the same from a program
    EXPECT_EQ(CornerBottomRight, corner);
    EXPECT_EQ(CornerNever, action);
    ASSERT_TRUE(ReadCornerCommand(0xF301, corner, action)); // bits 12 to 15 ignored
    EXPECT_EQ(CornerBottomLeft, corner);
    EXPECT_EQ(CornerNow, action);
    ASSERT_TRUE(ReadCornerCommand(0x0000, corner, action));
    EXPECT_EQ(CornerTopLeft, corner);
    EXPECT_EQ(CornerDefault, action);

    // No fifth corner, no fourth action; nothing is written for them.
    for (unsigned rejected : {0x0400u, 0x0003u, 0x0F00u, 0x00FFu, 0x1403u, 0x0110u}) {
        corner = -7;
        action = CornerAction(0xF9);
        EXPECT_FALSE(ReadCornerCommand(rejected, corner, action)) << std::hex << rejected;
        EXPECT_EQ(-7, corner);
        EXPECT_EQ(CornerAction(0xF9), action);
    }

    // Every menu item identifier is the command for its own choice.
    for (int c = 0; c < CornerCount; ++c) {
        for (int a = 0; a < CornerActionCount; ++a) {
            const unsigned item = CornerMenuItem(c, static_cast<CornerAction>(a));
            EXPECT_EQ(0x1000u + 0x100u * static_cast<unsigned>(c) + static_cast<unsigned>(a),
                      item);
            ASSERT_TRUE(ReadCornerCommand(item, corner, action));
            EXPECT_EQ(c, corner);
            EXPECT_EQ(a, action);
        }
    }
}

TEST(MonitorCornerStyle, SettingACornerLeavesTheRestAlone)
{
    EXPECT_EQ(0x50000202u, SetCornerAction(0x50000002, CornerBottomRight, CornerNever));
    // Choosing the action a corner already has changes nothing.
    EXPECT_EQ(0x50000202u, SetCornerAction(0x50000202, CornerBottomRight, CornerNever));
    // One corner changes; the other corners stay.
    EXPECT_EQ(0x50000812u, SetCornerAction(0x50000A12, CornerBottomRight, CornerDefault));
    EXPECT_EQ(0x50000A52u, SetCornerAction(0x50000A12, CornerTopRight, CornerNow));
    EXPECT_EQ(0x50000612u, SetCornerAction(0x50000A12, CornerBottomLeft, CornerNow));
    EXPECT_EQ(0x50000A22u, SetCornerAction(0x50000A12, CornerTopLeft, CornerNever));
    // The unused value 3 in another corner reads as Default and is
    // rewritten as such.
    EXPECT_EQ(0x00000040u, SetCornerAction(0x00000030, CornerTopRight, CornerNow));
    // A corner outside the four changes nothing.
    EXPECT_EQ(0x50000A12u, SetCornerAction(0x50000A12, CornerCount, CornerNow));
    EXPECT_EQ(0x50000A12u, SetCornerAction(0x50000A12, -1, CornerNow));
}
