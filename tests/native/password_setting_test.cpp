// The desktop's password setting as bytes: only what clearly says "no
// password" turns it off.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "saver/password_setting.h"

namespace {

bool Asks(std::uint32_t type, const std::string &bytes)
{
    return PasswordSettingAsks(type, reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
}

TEST(PasswordSetting, OnlyAClearNoTurnsThePasswordOff)
{
    const std::uint32_t text = PasswordSettingText;
    struct {
        std::uint32_t type;
        std::string bytes;
        bool asks;
    } cases[] = {
        // Texts, ending at the first zero or at the end of the bytes.
        {text, std::string("0\0", 2), false},
        {text, "0000", false},
        {text, std::string("+0\0x", 4), false},
        {text, " \t0 ", false},
        {text, std::string("\0\0", 2), false},
        {text, "", false},
        {PasswordSettingExpandText, std::string("7\0", 2), true},
        {text, "-5", true},
        {text, "10", true},
        {text, "0020", true},
        {text, "1 2", true},
        {text, "--1", true},
        {text, "+", true},
        {text, " ", true},
        {text, "0x0", true},
        {text, "yes", true},
        // Numbers of up to four bytes, missing bytes zero.
        {PasswordSettingNumber, std::string(4, '\0'), false},
        {PasswordSettingNumber, std::string("\0\0\1\0", 4), true},
        {PasswordSettingBinary, "", false},
        {PasswordSettingBinary, std::string("\0\0\0", 3), false},
        {PasswordSettingBinary, std::string("\0\0\0\x80", 4), true},
        // Longer than the bytes read, and types that are neither.
        {PasswordSettingBinary, std::string(5, '\0'), true},
        {text, std::string("0\0\0\0\0", 5), true},
        {7 /* a list of texts */, std::string("0\0\0", 3), true},
        {0 /* no type */, "", true},
        {5 /* big-endian number */, std::string(4, '\0'), true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Asks(c.type, c.bytes), c.asks) << "type " << c.type << ", " << c.bytes.size() << " bytes: \""
                                                   << c.bytes << "\"";
    EXPECT_FALSE(PasswordSettingAsks(text, nullptr, 0));
    EXPECT_TRUE(PasswordSettingAsks(PasswordSettingNumber, nullptr, 4));
}

} // namespace
