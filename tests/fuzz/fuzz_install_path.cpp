// Feeds the install-directory check any module file name, Windows directory
// and string-table text, separated by zero bytes. The match and the wording
// are held to a reference written with std::string, and the expected path,
// spelt with another drive and case, must always match itself.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "library/install_path.h"
#include "tests/support/c_library_reference.h"

namespace {

std::string Part(const std::string &input, std::size_t &at)
{
    if (at > input.size())
        return "";
    const std::size_t end = std::min(input.find('\0', at), input.size());
    std::string part = input.substr(at, end - at);
    at = end + 1;
    return part;
}

std::string Convert(std::string text, CaseFunction convert)
{
    convert(&text[0], text.size());
    return text;
}

std::string Comparable(std::string path)
{
    path = path.substr(0, InstallPathSize - 1);
    for (std::size_t i = 0; i < 2 && i < path.size(); ++i)
        path[i] = ' ';
    return Convert(path, PathUpperCaseAscii);
}

// The system could not convert the whole path.
std::size_t ConvertsTooFew(char *text, std::size_t length)
{
    PathUpperCaseAscii(text, length);
    return length > 0 ? length - 1 : 1;
}

std::unique_ptr<char[]> ExactCopy(const std::string &text)
{
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char *>(data), size);
    std::size_t at = 0;
    const std::string file = Part(input, at);
    const std::string directory = Part(input, at);
    const std::string message = Part(input, at);
    const auto exactFile = ExactCopy(file);
    const auto exactDirectory = ExactCopy(directory);

    std::string path = directory.substr(0, InstallPathSize - 1);
    if (path.empty() || path.back() != '\\')
        path += '\\';
    const std::string wanted = Comparable(path + "dusklit.dll");

    char expected[InstallPathSize];
    const bool matches =
        MatchInstallPath(exactFile.get(), exactDirectory.get(), expected, PathUpperCaseAscii);
    Check(wanted == expected);
    Check(matches == (Comparable(file) == wanted));

    // The expected path on another drive and in small letters is the right file.
    const std::string elsewhere = "q:" + Convert(wanted.substr(2), PathLowerCaseAscii);
    char again[InstallPathSize];
    Check(MatchInstallPath(elsewhere.c_str(), exactDirectory.get(), again, PathUpperCaseAscii));
    // When the system cannot convert a path, the check gives way.
    Check(MatchInstallPath(exactFile.get(), exactDirectory.get(), again, ConvertsTooFew));

    char text[InstallMessageSize];
    const auto exactMessage = ExactCopy(message);
    ComposeInstallMessage(message.empty() && input.size() % 2 ? nullptr : exactMessage.get(), expected, text,
                          PathLowerCaseAscii);
    const std::string opening =
        message.empty() ? "Wrong install directory. Put it in the windows directory" : message;
    const std::string wording =
        (opening + "\r\n" + Convert(wanted, PathLowerCaseAscii)).substr(0, InstallMessageSize - 1);
    Check(wording == text);
    return 0;
}
