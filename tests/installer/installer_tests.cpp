// brix-setup-<version>.exe run silently, as an administrator deploying it
// would: brix.scr lands in the system folder and becomes the user's saver,
// the installed copy runs, and the uninstaller from Add/Remove Programs
// takes everything away again and puts back the saver the user had, or
// none, but never replaces a saver the user chose after installing.
//
// Runs in the display prefix (on_display.sh), so the system folder and the
// registry of the main test prefix are never touched.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/program/brix_steps.h"

namespace {

const std::string UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brix";
const std::string StateKey = "Software\\Dusklit\\Brix";

// The text of a REG_SZ value, without its terminating zeros.
std::optional<std::string> Text(HKEY root, const std::string &key, const std::string &name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    char data[1024] = {};
    DWORD type = 0, size = sizeof data - 1;
    LONG status = RegQueryValueExA(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::string(data);
}

std::optional<std::string> DesktopText(const std::string &name)
{
    return Text(HKEY_CURRENT_USER, brix::DesktopKey, name);
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The long form of a path (the registry holds the short one), for
// comparing; empty when the file is not there.
std::string LongPath(const std::string &path)
{
    char buffer[MAX_PATH] = {};
    DWORD length = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer) : std::string();
}

// Where the installer puts brix.scr, as this test's own build: a 64-bit
// test runs against an installer that carries the 64-bit brix.scr, which
// belongs in System32 of 64-bit Windows; a 32-bit brix.scr belongs in
// SysWOW64 there, and in System32 of 32-bit Windows.
std::string SystemFolder()
{
    char folder[MAX_PATH] = {};
    UINT length = 0;
    if (sizeof(void *) == 4)
        length = GetSystemWow64DirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        length = GetSystemDirectoryA(folder, sizeof folder);
    return std::string(folder, length);
}

// The kind of program the installed brix.scr is: the build this test
// belongs to.
constexpr DWORD OwnBinaryType = sizeof(void *) == 8 ? SCS_64BIT_BINARY : SCS_32BIT_BINARY;

class Installer : public ::testing::Test {
protected:
    // Whatever the user's saver settings were, they come back at the end.
    brix::RegistryValueScope saver_{brix::DesktopKey, "SCRNSAVE.EXE", std::nullopt};
    brix::RegistryValueScope active_{brix::DesktopKey, "ScreenSaveActive", std::nullopt};
    brix::RegistryValueScope usePassword_{brix::DesktopKey, "ScreenSaveUsePassword", std::nullopt};
    const std::string installed_ = SystemFolder() + "\\brix.scr";

    void SetUp() override
    {
        ASSERT_TRUE(saver_.Written() && active_.Written() && usePassword_.Written());
        ASSERT_FALSE(Exists(installed_)) << "left over from an earlier run: " << installed_;
        ASSERT_FALSE(KeyExists(UninstallKey, HKEY_LOCAL_MACHINE));
    }

    void TearDown() override
    {
        if (IsSkipped())
            return;
        // A failed case may leave an install behind: take it away.
        if (KeyExists(UninstallKey, HKEY_LOCAL_MACHINE))
            Uninstall();
        DeleteFileA(installed_.c_str());
        DeleteKey(StateKey);
    }

    // Asked for a folder that users can write, it still puts the
    // uninstaller, which runs elevated, into Program Files. Silent, or
    // with its pages, when the last one is to say finishText.
    void Install(const std::string &finishText = "")
    {
        char temp[MAX_PATH] = {}, programFiles[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        GetEnvironmentVariableA("ProgramFiles", programFiles, sizeof programFiles);
        const std::string writable = std::string(temp) + "BrixElsewhere";
        if (finishText.empty())
            ASSERT_EQ(driver::RunToEnd("\"" + driver::WindowsPath(BRIX_INSTALLER) + "\" /S /D=" + writable, 180000),
                      std::optional<DWORD>(0));
        else
            ASSERT_NO_FATAL_FAILURE(InstallWithPages("/D=" + writable, finishText));
        EXPECT_FALSE(Exists(writable));
        EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, UninstallKey, "InstallLocation"),
                  std::optional<std::string>(std::string(programFiles) + "\\Brix"));
        ASSERT_TRUE(Exists(installed_));
        DWORD kind = 0;
        EXPECT_TRUE(GetBinaryTypeA(installed_.c_str(), &kind));
        EXPECT_EQ(kind, OwnBinaryType) << installed_;
        auto saver = DesktopText("SCRNSAVE.EXE");
        ASSERT_TRUE(saver);
        EXPECT_EQ(LongPath(*saver), LongPath(installed_)) << *saver;
        EXPECT_EQ(DesktopText("ScreenSaveActive"), std::optional<std::string>("1"));
    }

    // The installer as a user sees it: it installs at once, with no page
    // before, and its finish page tells what it did.
    void InstallWithPages(const std::string &arguments, const std::string &finishText)
    {
        driver::ProgramDriver setup(BRIX_INSTALLER);
        driver::StartOptions options;
        options.captureDebugOutput = false;
        ASSERT_TRUE(setup.Start(arguments, options)) << setup.Report();
        HWND finishPage = nullptr;
        auto wizard = setup.WaitForWindow(
            [&](const driver::WindowInfo &w) {
                for (const driver::WindowInfo &child : driver::ChildWindowsOf(w.handle))
                    if (child.visible && child.title == "Brix is installed")
                        finishPage = w.handle;
                return finishPage != nullptr;
            },
            "the finish page", 180000);
        ASSERT_TRUE(wizard) << setup.Report();
        bool said = false;
        for (const driver::WindowInfo &child : driver::ChildWindowsOf(finishPage))
            said = said || (child.visible && child.title == finishText);
        EXPECT_TRUE(said) << "the finish page does not say \"" << finishText << "\"\n"
                          << driver::Describe(driver::ChildWindowsOf(finishPage));
        PostMessageA(finishPage, WM_COMMAND, IDOK, 0); // Finish
        EXPECT_EQ(setup.WaitForExit(), std::optional<DWORD>(0)) << setup.Report();
    }

    // The uninstaller as Add/Remove Programs runs it quietly: the moment
    // it returns, nothing of Brix is left.
    void Uninstall()
    {
        auto quiet = Text(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString");
        auto folder = Text(HKEY_LOCAL_MACHINE, UninstallKey, "InstallLocation");
        ASSERT_TRUE(quiet && folder);
        ASSERT_EQ(driver::RunToEnd(*quiet, 180000), std::optional<DWORD>(0)) << *quiet;
        EXPECT_FALSE(Exists(*folder)) << *folder;
        EXPECT_FALSE(Exists(installed_));
        EXPECT_FALSE(KeyExists(UninstallKey, HKEY_LOCAL_MACHINE));
        EXPECT_FALSE(KeyExists(StateKey));
    }
};

TEST_F(Installer, MakesBrixTheSaverRunsItAndTheUninstallerPutsThePreviousOneBack)
{
    const std::string previous = "C:\\Savers\\Previous Saver.scr";
    WriteValue(brix::DesktopKey, "SCRNSAVE.EXE", REG_SZ, previous + '\0');
    WriteValue(brix::DesktopKey, "ScreenSaveActive", REG_SZ, std::string("0") + '\0');

    ASSERT_NO_FATAL_FAILURE(Install("Brix is now your screen saver. It replaced Previous Saver.scr (" + previous +
                                    "), which uninstalling Brix puts back."));
    auto uninstaller = Text(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString");
    auto folder = Text(HKEY_LOCAL_MACHINE, UninstallKey, "InstallLocation");
    ASSERT_TRUE(uninstaller && folder);
    EXPECT_EQ(*uninstaller, "\"" + *folder + "\\uninstall.exe\"");
    EXPECT_TRUE(Exists(*folder + "\\uninstall.exe"));
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, UninstallKey, "QuietUninstallString"), *uninstaller + " /S");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName"), std::optional<std::string>("Brix screen saver"));
    EXPECT_TRUE(Text(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayVersion"));

    // The installed copy is a working saver: the demo, then the saver,
    // which a key closes.
    {
        driver::ProgramDriver program(installed_);
        auto saver = brix::StartSaver(program, "/s");
        ASSERT_TRUE(saver) << program.Report();
        ASSERT_TRUE(driver::SendKeyPress('A'));
        EXPECT_EQ(program.WaitForExit(), std::optional<DWORD>(brix::SaverClosedCode)) << program.Report();
        EXPECT_FALSE(program.EndedByDriver());
    }

    // Installing again over the first install keeps what the first found.
    ASSERT_NO_FATAL_FAILURE(Install());

    ASSERT_NO_FATAL_FAILURE(Uninstall());
    EXPECT_EQ(DesktopText("SCRNSAVE.EXE"), previous);
    EXPECT_EQ(DesktopText("ScreenSaveActive"), std::optional<std::string>("0"));
}

TEST_F(Installer, UninstallingLeavesNoSaverWhereThereWasNoneAndKeepsOneChosenSince)
{
    ASSERT_NO_FATAL_FAILURE(Install("Brix is now your screen saver. You had no screen saver before."));
    ASSERT_NO_FATAL_FAILURE(Uninstall());
    EXPECT_FALSE(ReadValue(brix::DesktopKey, "SCRNSAVE.EXE"));
    EXPECT_FALSE(ReadValue(brix::DesktopKey, "ScreenSaveActive"));

    ASSERT_NO_FATAL_FAILURE(Install());
    // The user picks another saver in the display settings.
    const std::string chosen = "C:\\WINDOWS\\system32\\other.scr";
    WriteValue(brix::DesktopKey, "SCRNSAVE.EXE", REG_SZ, chosen + '\0');
    ASSERT_NO_FATAL_FAILURE(Uninstall());
    EXPECT_EQ(DesktopText("SCRNSAVE.EXE"), chosen);
    EXPECT_EQ(DesktopText("ScreenSaveActive"), std::optional<std::string>("1"));
}

}  // namespace
