#include "library/install_path.h"

#include <cstring>

namespace {

const char LibraryFileName[] = "dusklit.dll";
const char FallbackMessage[] = "Wrong install directory. Put it in the windows directory";

// Copies text into to (size bytes), cut to fit and always terminated.
void CopyBounded(char *to, std::size_t size, const char *text)
{
    std::size_t length = 0;
    if (text) {
        while (length < size - 1 && text[length])
            ++length;
        std::memcpy(to, text, length);
    }
    to[length] = '\0';
}

// Appends text to the terminated string in to (size bytes), cut to fit.
void AppendBounded(char *to, std::size_t size, const char *text)
{
    const std::size_t used = std::strlen(to);
    CopyBounded(to + used, size - used, text);
}

// The drive letter and colon take no part in the comparison: a library
// found through another drive mapping is still the right file.
void BlankDrive(char *path)
{
    for (int i = 0; i < 2 && path[i]; ++i)
        path[i] = ' ';
}

std::size_t ConvertAscii(char *text, std::size_t length, char from, char to)
{
    for (std::size_t i = 0; i < length; ++i)
        if (text[i] >= from && text[i] <= from + ('Z' - 'A'))
            text[i] = static_cast<char>(text[i] - from + to);
    return length;
}

} // namespace

std::size_t PathUpperCaseAscii(char *text, std::size_t length)
{
    return ConvertAscii(text, length, 'a', 'A');
}

std::size_t PathLowerCaseAscii(char *text, std::size_t length)
{
    return ConvertAscii(text, length, 'A', 'a');
}

bool MatchInstallPath(const char *moduleFile, const char *windowsDirectory,
                      char (&expected)[InstallPathSize], CaseFunction upper)
{
    char file[InstallPathSize];
    CopyBounded(file, InstallPathSize, moduleFile);

    CopyBounded(expected, InstallPathSize, windowsDirectory);
    const std::size_t length = std::strlen(expected);
    if (length == 0 || expected[length - 1] != '\\')
        AppendBounded(expected, InstallPathSize, "\\");
    AppendBounded(expected, InstallPathSize, LibraryFileName);

    BlankDrive(file);
    BlankDrive(expected);
    const std::size_t fileLength = std::strlen(file);
    const std::size_t expectedLength = std::strlen(expected);
    if (upper(file, fileLength) != fileLength || upper(expected, expectedLength) != expectedLength)
        return true;
    return std::strcmp(file, expected) == 0;
}

void ComposeInstallMessage(const char *message, char (&expected)[InstallPathSize],
                           char (&text)[InstallMessageSize], CaseFunction lower)
{
    CopyBounded(text, InstallMessageSize, message && *message ? message : FallbackMessage);
    lower(expected, std::strlen(expected));
    AppendBounded(text, InstallMessageSize, "\r\n");
    AppendBounded(text, InstallMessageSize, expected);
}
