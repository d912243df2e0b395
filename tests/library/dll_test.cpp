// dusklit.dll as the loader, a dialog editor and a saver see it, and
// savers built on the installed SDK. The library insists on living in the
// Windows directory, so the tests copy the built (or installed) file there
// and remove it again.
#include <gtest/gtest.h>

#include <windows.h>
#include <custcntl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dusklit.h"
#include "resource_ids.h"
#include "tests/driver/program_driver.h"
#include "tests/support/message_box_watch.h"
#include "tests/support/process_windows.h"
#include "version.h"

namespace {

const char WrongInstallText[] =
    "Dusklit has been incorrectly installed.\r\nIt must be placed in the windows directory";

std::string WindowsDirectory()
{
    char directory[MAX_PATH] = "";
    GetWindowsDirectoryA(directory, MAX_PATH);
    return directory;
}

std::string Lower(std::string text)
{
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string Upper(std::string text)
{
    CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string BuiltLibrary()
{
    return driver::WindowsPath(DUSKLIT_DLL_PATH);
}

// A library (the built one unless told otherwise) copied to where it
// belongs, for as long as this lives.
class InstalledLibrary {
public:
    explicit InstalledLibrary(const std::string &source = BuiltLibrary())
        : path_(WindowsDirectory() + "\\dusklit.dll")
    {
        copied_ = CopyFileA(source.c_str(), path_.c_str(), FALSE) != 0;
    }
    ~InstalledLibrary() { DeleteFileA(path_.c_str()); }
    InstalledLibrary(const InstalledLibrary &) = delete;
    InstalledLibrary &operator=(const InstalledLibrary &) = delete;

    bool Copied() const { return copied_; }
    const std::string &Path() const { return path_; }

private:
    std::string path_;
    bool copied_ = false;
};

using ControlInfoCall = UINT(WINAPI *)(void *);

ControlInfoCall ControlInfoOf(HMODULE library)
{
    return reinterpret_cast<ControlInfoCall>(
        reinterpret_cast<void *>(GetProcAddress(library, DUSKLIT_CONTROL_INFO_EXPORT)));
}

TEST(LoadableLibrary, StartsInTheWindowsDirectoryAndStopsWhenUnloaded)
{
    InstalledLibrary installed;
    ASSERT_TRUE(installed.Copied()) << installed.Path();
    MessageBoxWatch boxes;

    HMODULE library = LoadLibraryA(installed.Path().c_str());
    ASSERT_NE(nullptr, library) << GetLastError();
    EXPECT_EQ(0, boxes.Count());
    EXPECT_TRUE(ClassRegistered(GetModuleHandleA(nullptr), DUSKLIT_MONITOR_CLASS));
    EXPECT_TRUE(ClassRegistered(GetModuleHandleA(nullptr), DUSKLIT_MONITOR_WINDOW_CLASS));

    // A thread coming and going calls the entry too; the library stays up.
    std::thread([] {}).join();
    HWND control = CreateWindowExA(0, DUSKLIT_MONITOR_CLASS, "", WS_POPUP | MS_PREVIEW, 0, 0, 184, 170,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, control);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(library), GetClassLongPtrA(control, GCLP_HMODULE));
    // The preview type's screen window: the other class, and the geometry
    // read from the library's own resources.
    HWND screen = GetWindow(control, GW_CHILD);
    ASSERT_NE(nullptr, screen);
    RECT area = {};
    GetWindowRect(screen, &area);
    MapWindowPoints(nullptr, control, reinterpret_cast<POINT *>(&area), 2);
    EXPECT_EQ(16, area.left);
    EXPECT_EQ(17, area.top);
    EXPECT_EQ(169, area.right);
    EXPECT_EQ(130, area.bottom);
    DestroyWindow(control);

    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_FALSE(ClassRegistered(GetModuleHandleA(nullptr), DUSKLIT_MONITOR_CLASS));
    EXPECT_FALSE(ClassRegistered(GetModuleHandleA(nullptr), DUSKLIT_MONITOR_WINDOW_CLASS));
    EXPECT_EQ(0, boxes.Count());
}

TEST(LoadableLibrary, ElsewhereItNamesTheExpectedPathAndRefusesToLoad)
{
    MessageBoxWatch boxes;
    HMODULE library = LoadLibraryA(BuiltLibrary().c_str());
    EXPECT_EQ(nullptr, library);
    if (library)
        FreeLibrary(library);

    const std::string expected = "  " + Lower(WindowsDirectory().substr(2)) + "\\dusklit.dll";
    auto seen = boxes.Seen();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Dusklit", seen[0].caption);
    EXPECT_EQ(std::string(WrongInstallText) + "\r\n" + expected, seen[0].text);
    EXPECT_FALSE(ClassRegistered(GetModuleHandleA(nullptr), DUSKLIT_MONITOR_CLASS));
}

// The file is found however its path is spelled: in other case, or through
// another drive letter that leads to the same directory.
TEST(LoadableLibrary, AnotherSpellingOfTheWindowsDirectoryStillMatches)
{
    InstalledLibrary installed;
    ASSERT_TRUE(installed.Copied()) << installed.Path();
    MessageBoxWatch boxes;

    HMODULE library = LoadLibraryA(Upper(installed.Path()).c_str());
    ASSERT_NE(nullptr, library) << GetLastError();
    FreeLibrary(library);
    EXPECT_EQ(0, boxes.Count());

    // Q: leads to the Windows directory's drive: the test run maps it
    // beforehand (Wine keeps its drives as links in the prefix), or it is
    // defined here.
    const std::string root = installed.Path().substr(0, 3); // "C:\"
    bool defined = false;
    if (GetDriveTypeA("Q:\\") == DRIVE_NO_ROOT_DIR)
        defined = DefineDosDeviceA(0, "Q:", root.c_str()) != 0;
    const std::string viaQ = "q" + Lower(installed.Path().substr(1));
    if (GetFileAttributesA(viaQ.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (defined)
            DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);
        GTEST_SKIP() << "drive Q: does not lead to " << installed.Path();
    }
    library = LoadLibraryA(viaQ.c_str());
    EXPECT_NE(nullptr, library) << GetLastError();
    if (library) {
        char file[MAX_PATH] = "";
        GetModuleFileNameA(library, file, MAX_PATH);
        EXPECT_EQ('Q', Upper(file)[0]) << file;
        FreeLibrary(library);
    }
    if (defined)
        DefineDosDeviceA(DDD_REMOVE_DEFINITION, "Q:", nullptr);
    EXPECT_EQ(0, boxes.Count());
}

TEST(LoadableLibrary, DescribesTheMonitorControlToADialogEditor)
{
    InstalledLibrary installed;
    ASSERT_TRUE(installed.Copied()) << installed.Path();
    HMODULE library = LoadLibraryA(installed.Path().c_str());
    ASSERT_NE(nullptr, library) << GetLastError();
    ControlInfoCall controlInfo = ControlInfoOf(library);
    ASSERT_NE(nullptr, controlInfo);

    EXPECT_EQ(1u, controlInfo(nullptr));

    CCINFOA info;
    std::memset(&info, 0xA5, sizeof info);
    EXPECT_EQ(1u, controlInfo(&info));
    EXPECT_STREQ("DusklitMonitorClass", info.szClass);
    EXPECT_EQ(1u, info.flOptions);
    EXPECT_STREQ("Monitor", info.szDesc);
    EXPECT_EQ(184u, info.cxDefault);
    EXPECT_EQ(170u, info.cyDefault);
    EXPECT_EQ(0x50000001u, info.flStyleDefault);
    EXPECT_EQ(0u, info.flExtStyleDefault);
    EXPECT_EQ(0xFF3u, info.flCtrlTypeMask);
    EXPECT_STREQ("", info.szTextDefault);
    EXPECT_EQ(0u, info.dwReserved1);
    EXPECT_EQ(0u, info.dwReserved2);

    const struct {
        DWORD style, mask;
        const char *name;
    } table[] = {
        {0x000, 0x003, "MS_NOTHING"},      {0x001, 0x003, "MS_PREVIEW"},      {0x002, 0x003, "MS_CORNERS"},
        {0x000, 0x030, "MS_CTOPLEFTDEF"},  {0x010, 0x010, "MS_CTOPLEFTNOW"},  {0x020, 0x020, "MS_CTOPLEFTNEV"},
        {0x000, 0x0C0, "MS_CTOPRIGHTDEF"}, {0x040, 0x040, "MS_CTOPRIGHTNOW"}, {0x080, 0x080, "MS_CTOPRIGHTNEV"},
        {0x000, 0x300, "MS_CBOTRIGHTDEF"}, {0x100, 0x100, "MS_CBOTRIGHTNOW"}, {0x200, 0x200, "MS_CBOTRIGHTNEV"},
        {0x000, 0xC00, "MS_CBOTLEFTDEF"},  {0x400, 0x400, "MS_CBOTLEFTNOW"},  {0x800, 0x800, "MS_CBOTLEFTNEV"},
    };
    ASSERT_EQ(15, info.cStyleFlags);
    ASSERT_NE(nullptr, info.aStyleFlags);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(table[i].style, info.aStyleFlags[i].flStyle) << i;
        EXPECT_EQ(table[i].mask, info.aStyleFlags[i].flStyleMask) << i;
        EXPECT_STREQ(table[i].name, info.aStyleFlags[i].pszStyle) << i;
    }

    // The editor's two callbacks: a style dialog that only says so, and a
    // size that ignores the text.
    ASSERT_NE(nullptr, info.lpfnStyle);
    ASSERT_NE(nullptr, info.lpfnSizeToText);
    {
        MessageBoxWatch boxes;
        CCSTYLEA style = {};
        EXPECT_TRUE(info.lpfnStyle(nullptr, &style));
        auto seen = boxes.Seen();
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ("Custom control", seen[0].caption);
        EXPECT_EQ("Function for changing style", seen[0].text);
    }
    char text[] = "a much longer text than the picture is wide";
    EXPECT_EQ(184, info.lpfnSizeToText(0, 0, nullptr, text));
    EXPECT_EQ(184, info.lpfnSizeToText(0x50000002, WS_EX_CLIENTEDGE,
                                       static_cast<HFONT>(GetStockObject(SYSTEM_FONT)), nullptr));
    FreeLibrary(library);
}

// The version the library reports is its file's, cut to the buffer, and
// without a buffer the resource's own count, terminating zero included.
TEST(LoadableLibrary, ReportsTheVersionOfItsFile)
{
    InstalledLibrary installed;
    ASSERT_TRUE(installed.Copied()) << installed.Path();
    HMODULE library = LoadLibraryA(installed.Path().c_str());
    ASSERT_NE(nullptr, library) << GetLastError();
    using VersionCall = int(WINAPI *)(char *, int);
    auto versionText =
        reinterpret_cast<VersionCall>(reinterpret_cast<void *>(GetProcAddress(library, "ScrGetVersionText")));
    ASSERT_NE(nullptr, versionText);

    const std::string version = DUSKLIT_DLL_FILE_VERSION;
    char buffer[50];
    EXPECT_EQ(static_cast<int>(version.size()), versionText(buffer, sizeof buffer));
    EXPECT_EQ(version, buffer);
    EXPECT_EQ(3, versionText(buffer, 4));
    EXPECT_EQ(version.substr(0, 3), buffer);
    EXPECT_EQ(static_cast<int>(version.size()) + 1, versionText(nullptr, 0));
    FreeLibrary(library);
}

// The About box that the configuration sheet's system menu opens from a
// saver linked against the import library names the library's file
// version, not the built-in one.
void ExpectAboutBoxNamesTheFileVersion(const std::string &saverPath)
{
    driver::ProgramDriver saver(saverPath);
    driver::StartOptions options;
    options.captureDebugOutput = false;
    ASSERT_TRUE(saver.Start("/c", options));

    auto sheet = saver.WaitForWindow(
        [](const driver::WindowInfo &w) { return w.IsDialog() && w.visible && w.title != "About Dusklit"; },
        "the configuration sheet");
    ASSERT_TRUE(sheet) << saver.Report();
    PostMessageA(sheet->handle, WM_SYSCOMMAND, IDM_ABOUT, 0);
    auto about = saver.WaitForWindow(
        [](const driver::WindowInfo &w) { return w.IsDialog() && w.title == "About Dusklit"; }, "the About box");
    ASSERT_TRUE(about) << saver.Report();

    HWND group = GetDlgItem(about->handle, IDC_ABOUT_GROUP);
    ASSERT_NE(nullptr, group);
    char caption[160] = "";
    GetWindowTextA(group, caption, sizeof caption);
    EXPECT_STREQ("Dusklit v" DUSKLIT_DLL_FILE_VERSION, caption);

    PostMessageA(about->handle, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(saver.WaitUntilGone(about->handle)) << saver.Report();
    PostMessageA(sheet->handle, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(saver.WaitForExit().has_value()) << saver.Report();
}

TEST(LoadableLibrary, AboutBoxOfASaverUsingItShowsTheFileVersion)
{
    InstalledLibrary installed;
    ASSERT_TRUE(installed.Copied()) << installed.Path();
    ExpectAboutBoxNamesTheFileVersion(DLL_SAVER_PATH);
}

// A saver built outside this project on the installed SDK (tests/sdk), as
// its author links it: with the static library, which brings the
// framework's resources along, and with the SDK's own dusklit.dll.
const char SaverWindowClass[] = "ZoScreenSaverClass";
constexpr DWORD SaverClosedCode = 2;
constexpr DWORD SheetCancelledCode = 0;

// The names in a program file's import directory; empty for a file that
// is not a whole program of this test's width.
std::vector<std::string> ImportedDlls(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto at = [&](size_t offset, size_t size) { return offset + size <= bytes.size() ? &bytes[offset] : nullptr; };
    std::vector<std::string> names;
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(at(0, sizeof(IMAGE_DOS_HEADER)));
    const auto *nt = dos ? reinterpret_cast<const IMAGE_NT_HEADERS *>(at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS))) : nullptr;
    if (!nt || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC)
        return names;
    const auto *sections = reinterpret_cast<const IMAGE_SECTION_HEADER *>(
        at(dos->e_lfanew + offsetof(IMAGE_NT_HEADERS, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader,
           nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER)));
    auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; sections && i < nt->FileHeader.NumberOfSections; ++i)
            if (rva >= sections[i].VirtualAddress && rva < sections[i].VirtualAddress + sections[i].SizeOfRawData)
                return rva - sections[i].VirtualAddress + sections[i].PointerToRawData;
        return bytes.size();
    };
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    while (const auto *entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(
               at(fileOffset(rva), sizeof(IMAGE_IMPORT_DESCRIPTOR)))) {
        if (entry->Name == 0)
            break;
        const size_t name = fileOffset(entry->Name);
        names.push_back(name < bytes.size() ? bytes.c_str() + name : "?");
        rva += sizeof(IMAGE_IMPORT_DESCRIPTOR);
    }
    return names;
}

std::string SystemDirectory()
{
    char directory[MAX_PATH] = "";
    GetSystemDirectoryA(directory, MAX_PATH);
    return directory;
}

// What a bare Windows has: DLLs of the system directory, and dusklit.dll
// for the form that links it. No MinGW runtime DLL.
void ExpectOnlySystemImports(const std::string &program)
{
    const std::vector<std::string> names = ImportedDlls(program);
    EXPECT_FALSE(names.empty()) << program;
    for (const std::string &name : names)
        EXPECT_TRUE(Lower(name) == "dusklit.dll" ||
                    GetFileAttributesA((SystemDirectory() + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES)
            << program << " imports " << name;
}

// The program carries its page (dialog 2003) and an application manifest.
void ExpectPageAndManifest(const std::string &program)
{
    HMODULE file = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, file) << program;
    EXPECT_NE(nullptr, FindResourceA(file, MAKEINTRESOURCEA(IDD_SAVER_PAGE), RT_DIALOG)) << program;
    EXPECT_NE(nullptr, FindResourceA(file, MAKEINTRESOURCEA(1), RT_MANIFEST)) << program;
    FreeLibrary(file);
}

bool ShowsText(HWND parent, const std::string &text)
{
    for (const driver::WindowInfo &child : driver::ChildWindowsOf(parent))
        if (child.visible && child.title == text)
            return true;
    return false;
}

// Made with dusklit_add_saver, without it (linking Dusklit::dusklit alone,
// which then compiles the framework's resources and manifest in by
// itself, beside a script that uses IDD_SAVER_PAGE without including
// dusklit.rc), and against the SDK's own dusklit.dll. Each imports system
// DLLs alone, draws with the OpenGL helper, green, and opens its sheet on
// its own page.
TEST(InstalledSdk, EveryFormDrawsClosesOnInputAndShowsItsSheet)
{
    InstalledLibrary installed(driver::WindowsPath(SDK_DLL_PATH));
    ASSERT_TRUE(installed.Copied()) << installed.Path();
    // The consumer names its sheet where the framework's texts are compiled
    // after its script: made with dusklit_add_saver, not in the other two.
    const struct {
        const char *path;
        std::string caption;
    } forms[] = {{SDK_STATIC_SAVER_PATH, "Consumer Settings"},
                 {SDK_PLAIN_SAVER_PATH, "Screen Saver Properties"},
                 {SDK_SHARED_SAVER_PATH, "Screen Saver Properties"}};
    for (const auto &form : forms) {
        const char *path = form.path;
        const std::string &caption = form.caption;
        SCOPED_TRACE(path);
        ExpectOnlySystemImports(driver::WindowsPath(path));
        ExpectPageAndManifest(driver::WindowsPath(path));
        driver::ProgramDriver saver(path);
        driver::StartOptions options;
        options.captureDebugOutput = false;
        ASSERT_TRUE(saver.Start("/s", options)) << saver.Report();
        auto window = saver.WaitForWindowOfClass(SaverWindowClass);
        ASSERT_TRUE(window) << saver.Report();
        EXPECT_TRUE(driver::WaitUntil([] {
            HDC screen = GetDC(nullptr);
            const COLORREF middle = GetPixel(screen, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
            ReleaseDC(nullptr, screen);
            return middle == RGB(0, 255, 0);
        }, 10000, 100)) << "no green\n" << saver.Report();
        ASSERT_TRUE(saver.Running()) << saver.Report();
        ASSERT_TRUE(driver::SendKeyPress('A'));
        EXPECT_EQ(std::optional<DWORD>(SaverClosedCode), saver.WaitForExit()) << saver.Report();
        EXPECT_FALSE(saver.EndedByDriver());

        ASSERT_TRUE(saver.Start("/c", options)) << saver.Report();
        auto sheet = saver.WaitForWindow(
            [&](const driver::WindowInfo &w) { return w.IsDialog() && w.visible && w.title == caption; },
            "the configuration sheet");
        ASSERT_TRUE(sheet) << saver.Report();
        EXPECT_TRUE(driver::WaitUntil([&] { return ShowsText(sheet->handle, "The consumer's own page"); }, 10000, 50))
            << "the sheet does not show the saver's page\n" << driver::Describe(driver::ChildWindowsOf(sheet->handle));
        PostMessageA(sheet->handle, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(std::optional<DWORD>(SheetCancelledCode), saver.WaitForExit()) << saver.Report();
    }
}

TEST(InstalledSdk, SharedSaverShowsTheVersionOfTheInstalledLibrary)
{
    InstalledLibrary installed(driver::WindowsPath(SDK_DLL_PATH));
    ASSERT_TRUE(installed.Copied()) << installed.Path();
    ExpectAboutBoxNamesTheFileVersion(SDK_SHARED_SAVER_PATH);
}

} // namespace
