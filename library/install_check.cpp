#include "library/install_check.h"

#include "resource_ids.h"

namespace {

std::size_t SystemUpperCase(char *text, std::size_t length)
{
    return CharUpperBuffA(text, static_cast<DWORD>(length));
}

std::size_t SystemLowerCase(char *text, std::size_t length)
{
    return CharLowerBuffA(text, static_cast<DWORD>(length));
}

} // namespace

bool InstallPathMatches(const char *moduleFile, const char *windowsDirectory,
                        char (&expected)[InstallPathSize])
{
    return MatchInstallPath(moduleFile, windowsDirectory, expected, SystemUpperCase);
}

void FormatInstallMessage(HINSTANCE module, char (&expected)[InstallPathSize],
                          char (&text)[InstallMessageSize])
{
    char message[InstallMessageSize];
    if (LoadStringA(module, IDS_WRONG_INSTALL_DIR, message, InstallMessageSize - 1) <= 0)
        message[0] = '\0';
    ComposeInstallMessage(message, expected, text, SystemLowerCase);
}
