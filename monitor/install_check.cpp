#include "monitor/install_check.h"

#include <cstring>

#include "resource_ids.h"

namespace {

const char LibraryFileName[] = "dusklit.dll";
const char FallbackMessage[] = "Wrong install directory. Put it in the windows directory";

// Copies text into to (size bytes), cut to fit and always terminated.
void CopyBounded(char *to, int size, const char *text)
{
    int length = 0;
    if (text) {
        while (length < size - 1 && text[length])
            ++length;
        std::memcpy(to, text, static_cast<std::size_t>(length));
    }
    to[length] = '\0';
}

// Appends text to the terminated string in to (size bytes), cut to fit.
void AppendBounded(char *to, int size, const char *text)
{
    int used = static_cast<int>(std::strlen(to));
    CopyBounded(to + used, size - used, text);
}

// The drive letter and colon take no part in the comparison: a library
// found through another drive mapping is still the right file.
void BlankDrive(char *path)
{
    for (int i = 0; i < 2 && path[i]; ++i)
        path[i] = ' ';
}

// Upper-cases path in place; false when the platform did not convert all of it.
bool UpperCaseWhole(char *path)
{
    DWORD length = static_cast<DWORD>(std::strlen(path));
    return CharUpperBuffA(path, length) == length;
}

} // namespace

bool InstallPathMatches(const char *moduleFile, const char *windowsDirectory,
                        char (&expected)[InstallPathSize])
{
    char file[InstallPathSize];
    CopyBounded(file, InstallPathSize, moduleFile);

    CopyBounded(expected, InstallPathSize, windowsDirectory);
    std::size_t length = std::strlen(expected);
    if (length == 0 || expected[length - 1] != '\\')
        AppendBounded(expected, InstallPathSize, "\\");
    AppendBounded(expected, InstallPathSize, LibraryFileName);

    BlankDrive(file);
    BlankDrive(expected);
    if (!UpperCaseWhole(file) || !UpperCaseWhole(expected))
        return true;
    return std::strcmp(file, expected) == 0;
}

void FormatInstallMessage(HINSTANCE module, char (&expected)[InstallPathSize],
                          char (&text)[InstallMessageSize])
{
    text[0] = '\0';
    if (LoadStringA(module, IDS_WRONG_INSTALL_DIR, text, InstallMessageSize - 1) <= 0)
        CopyBounded(text, InstallMessageSize, FallbackMessage);
    CharLowerBuffA(expected, static_cast<DWORD>(std::strlen(expected)));
    AppendBounded(text, InstallMessageSize, "\r\n");
    AppendBounded(text, InstallMessageSize, expected);
}
