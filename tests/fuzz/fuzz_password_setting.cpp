// Feeds "ScreenSaveUsePassword" values of every type and length to the
// reader that decides whether the desktop asks for a password. The input
// is [type][bytes...]: the first byte picks the type, the rest is the
// value as the query handed it over, in a heap block of exactly its size
// so the sanitizers catch a read past its end. The decision is held to a
// reference written with std::string: in doubt, the password is asked.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "saver/password_setting.h"
#include "tests/support/c_library_reference.h"

namespace {

// A text says no only as a decimal zero, blanks and a sign around it
// allowed, or when it is empty.
bool ReferenceTextAsks(const std::string &value)
{
    const std::string text = value.substr(0, value.find('\0'));
    if (text.empty())
        return false;
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos)
        return true;
    std::string number = text.substr(first, last - first + 1);
    if (number[0] == '+' || number[0] == '-')
        number.erase(0, 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
        return true;
    return number.find_first_not_of('0') != std::string::npos;
}

bool ReferenceAsks(std::uint32_t type, const std::string &value)
{
    if (value.size() > PasswordSettingSize)
        return true;
    if (type == PasswordSettingText || type == PasswordSettingExpandText)
        return ReferenceTextAsks(value);
    if (type == PasswordSettingNumber || type == PasswordSettingBinary)
        return value.find_first_not_of('\0') != std::string::npos;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint32_t type = data[0] % 12;
    const std::string value(reinterpret_cast<const char *>(data + 1), size - 1);
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[value.size() + 1]);
    std::memcpy(exact.get(), value.data(), value.size());
    Check(PasswordSettingAsks(type, value.empty() ? nullptr : exact.get(), value.size()) == ReferenceAsks(type, value));
    return 0;
}
