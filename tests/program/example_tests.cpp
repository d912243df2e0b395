// The starfield example (examples/starfield) as its user meets it, on the
// bare X server: example.scr /c opens "Screen Saver Properties" on the
// example's own page, whose monitor picture holds a live, ticking preview
// of the saver; a choice on the General page reaches that preview while
// the sheet is open. The example reports each settings change it hears on
// the debug-output channel, which the driver reads as the program's
// debugger. The sheet's "&About" shows the example's own About box. A picture of the page is saved beside the test (EXAMPLE_SHOT).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "examples/starfield/starfield_ids.h"
#include "include/dusklit.h"
#include "resources/resource_ids.h"
#include "tests/driver/program_driver.h"
#include "tests/support/process_windows.h"

using driver::ProgramDriver;

namespace {

const std::string SheetCaption = "Screen Saver Properties";
const char ScreenSaversKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
constexpr DWORD SheetCancelCode = 0;

// The page of the sheet that holds a control with this identifier.
HWND PageWith(HWND sheet, int controlId)
{
    for (const driver::WindowInfo &child : driver::ChildWindowsOf(sheet))
        if (child.IsDialog() && GetDlgItem(child.handle, controlId))
            return child.handle;
    return nullptr;
}

// What lies on the screen inside a rectangle, as 0xRRGGBB.
struct Capture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;
    bool operator==(const Capture &other) const { return rgb == other.rgb; }
};

Capture CaptureScreen(const RECT &area)
{
    Capture capture;
    capture.width = area.right - area.left;
    capture.height = area.bottom - area.top;
    if (capture.width <= 0 || capture.height <= 0)
        return capture;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, capture.width, capture.height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    capture.rgb.resize(static_cast<size_t>(capture.width) * static_cast<size_t>(capture.height));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(capture.height), capture.rgb.data(), &info, DIB_RGB_COLORS);
    for (std::uint32_t &pixel : capture.rgb)
        pixel &= 0xFFFFFF;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

int CountColour(const Capture &capture, std::uint32_t colour)
{
    int count = 0;
    for (std::uint32_t pixel : capture.rgb)
        count += pixel == colour;
    return count;
}

// A 24-bit .bmp of the capture, for a person to look at.
bool SaveBitmap(const Capture &capture, const std::string &path)
{
    const int rowBytes = (capture.width * 3 + 3) & ~3;
    const DWORD imageBytes = static_cast<DWORD>(rowBytes * capture.height);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageBytes;
    header.biSize = sizeof header;
    header.biWidth = capture.width;
    header.biHeight = capture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = imageBytes;
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::vector<unsigned char> row(static_cast<size_t>(rowBytes));
    for (int y = capture.height - 1; y >= 0; --y) {
        for (int x = 0; x < capture.width; ++x) {
            const std::uint32_t pixel = capture.rgb[static_cast<size_t>(y * capture.width + x)];
            row[static_cast<size_t>(x * 3)] = pixel & 0xFF;
            row[static_cast<size_t>(x * 3 + 1)] = (pixel >> 8) & 0xFF;
            row[static_cast<size_t>(x * 3 + 2)] = (pixel >> 16) & 0xFF;
        }
        std::fwrite(row.data(), row.size(), 1, out);
    }
    return std::fclose(out) == 0;
}

DWORD StoredMouseThreshold()
{
    DWORD value = 0, size = sizeof value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ScreenSaversKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return value;
    RegQueryValueExA(key, "Mouse Threshold", nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    return value;
}

TEST(ExampleSaver, ItsPageShowsALivePreviewThatHearsTheGeneralPage)
{
    ProgramDriver example(EXAMPLE_PATH);
    ASSERT_TRUE(example.Start("/c"));
    auto sheet = example.WaitForMessageBox(SheetCaption);
    ASSERT_TRUE(sheet) << example.Report();

    // The sheet opens on the example's own page.
    HWND page = PageWith(sheet->Handle(), IDC_STARFIELD_MONITOR);
    ASSERT_TRUE(page) << driver::Describe(driver::ChildWindowsOf(sheet->Handle()));
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ("Starfield", driver::WindowText(page));

    // The monitor picture, its screen, and the preview filling the screen.
    const driver::WindowInfo monitor = driver::ReadWindow(GetDlgItem(page, IDC_STARFIELD_MONITOR));
    EXPECT_EQ(DUSKLIT_MONITOR_CLASS, monitor.className);
    EXPECT_EQ(static_cast<DWORD>(MS_PREVIEW), monitor.style & MS_TYPEMASK);
    const driver::WindowInfo screen = driver::ReadWindow(GetWindow(monitor.handle, GW_CHILD));
    EXPECT_EQ(DUSKLIT_MONITOR_WINDOW_CLASS, screen.className);
    EXPECT_EQ("Monitor window", screen.title);
    const driver::WindowInfo preview = driver::ReadWindow(GetWindow(screen.handle, GW_CHILD));
    ASSERT_TRUE(preview.handle) << driver::Describe(driver::ChildWindowsOf(page));
    EXPECT_EQ("ZoScreenSaverClass", preview.className);
    EXPECT_EQ("SaverPreview", preview.title);
    EXPECT_EQ(153, preview.Width());
    EXPECT_EQ(113, preview.Height());
    EXPECT_TRUE(EqualRect(&preview.windowRect, &screen.windowRect));

    // It ticks: stars on a black sky, and a different sky a moment later.
    const int area = preview.Width() * preview.Height();
    auto starry = [area](const Capture &capture) {
        const int black = CountColour(capture, 0x000000);
        return black > area / 2 && black < area;
    };
    Capture first, later;
    ASSERT_TRUE(driver::WaitUntil([&] {
        first = CaptureScreen(preview.windowRect);
        return starry(first);
    }, 30000, 200)) << "no stars on black in the monitor\n" << example.Report();
    EXPECT_TRUE(driver::WaitUntil([&] {
        later = CaptureScreen(preview.windowRect);
        return starry(later) && !(later == first);
    }, 30000, 200)) << "the sky does not move\n" << example.Report();

    RECT sheetRect;
    GetWindowRect(sheet->Handle(), &sheetRect);
    EXPECT_TRUE(SaveBitmap(CaptureScreen(sheetRect), driver::WindowsPath(EXAMPLE_SHOT)));

    // A new mouse sensitivity on the General page reaches the preview at
    // once, with the threshold it stored.
    ASSERT_NE(-1, Ask(sheet->Handle(), PSM_SETCURSEL, 0, 0));
    HWND general = PageWith(sheet->Handle(), IDC_SENSITIVITY);
    ASSERT_TRUE(general);
    HWND list = GetDlgItem(general, IDC_SENSITIVITY);
    const LRESULT chosen = Ask(list, CB_GETCURSEL);
    driver::PostKeyPress(list, chosen > 0 ? VK_UP : VK_DOWN);
    ASSERT_TRUE(example.WaitForDebugOutput("Starfield: settings changed, code 0xD001")) << example.Report();
    EXPECT_NE(chosen, Ask(list, CB_GETCURSEL));
    const std::string expected = "Starfield: settings changed, code 0xD001, mouse threshold " +
                                 std::to_string(StoredMouseThreshold()) + ", mute";
    EXPECT_TRUE(example.DebugOutputContains(expected)) << expected << "\n" << example.Report();

    // The "&About" item of the sheet's system menu shows the example's own
    // About box, with the framework's version in its group box.
    PostMessageA(sheet->Handle(), WM_SYSCOMMAND, IDM_ABOUT, 0);
    auto about = example.WaitForMessageBox("About Starfield");
    ASSERT_TRUE(about) << example.Report();
    EXPECT_EQ("Dusklit v1.5s", driver::WindowText(GetDlgItem(about->Handle(), IDC_ABOUT_GROUP)));
    ASSERT_TRUE(example.Answer(*about, IDOK));

    // Cancel puts the stored settings back and ends the program.
    ASSERT_TRUE(driver::ClickDialogButton(sheet->Handle(), IDCANCEL));
    EXPECT_EQ(example.WaitForExit(), std::optional<DWORD>(SheetCancelCode)) << example.Report();
    EXPECT_TRUE(example.UnhandledExceptions().empty()) << example.Report();
}

} // namespace
