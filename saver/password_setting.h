// How the desktop's "ScreenSaveUsePassword" value is read, as bytes: pure
// logic with no Windows headers, so it can be tested and fuzzed natively;
// saver/password.cpp does the registry query around it.
//
// The value guards the desktop, so anything that does not clearly say "no
// password" asks for one:
//  - a number (REG_DWORD or REG_BINARY of up to 4 bytes, missing bytes
//    read as zero): nonzero asks;
//  - a text (REG_SZ, REG_EXPAND_SZ) that is a decimal number, with blanks
//    and a sign allowed around it: nonzero asks; the empty text does not;
//    any other text ("yes", "on") asks;
//  - a value longer than the 4 bytes read (the query reports more data),
//    whatever it holds, asks;
//  - any other type (REG_MULTI_SZ, REG_NONE, REG_DWORD_BIG_ENDIAN...)
//    asks.
#pragma once
#include <cstddef>
#include <cstdint>

// The bytes the value is read into.
constexpr std::size_t PasswordSettingSize = 4;

// Registry value types, by the numbers the system gives them.
constexpr std::uint32_t PasswordSettingText = 1;         // REG_SZ
constexpr std::uint32_t PasswordSettingExpandText = 2;   // REG_EXPAND_SZ
constexpr std::uint32_t PasswordSettingBinary = 3;       // REG_BINARY
constexpr std::uint32_t PasswordSettingNumber = 4;       // REG_DWORD

// Whether a value of this type whose first size bytes are bytes asks for
// the password. A size above PasswordSettingSize always asks. A text ends
// at its first zero or after size bytes.
bool PasswordSettingAsks(std::uint32_t type, const std::uint8_t *bytes, std::size_t size);
