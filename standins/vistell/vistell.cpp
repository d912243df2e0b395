// A stand-in for Vistell, the separate preview program: a top-level window
// of class "Vistell" whose first child is the area previews appear in.
//
// For tests it can be made awkward, by switch or (because the framework
// starts it with its bare name) by environment variable:
//   /busy:MS    or VISTELL_BUSY_MS=MS   stay busy MS milliseconds before
//                                       creating windows or reading input
//   /nochild    or VISTELL_NO_CHILD=1   leave the preview area out
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

const char MainClass[] = "Vistell";
const char PreviewAreaClass[] = "VistellPreviewArea";

struct Options {
    DWORD busyMs = 0;
    bool withChild = true;
};

// The longest delay accepted, so a typing error cannot keep it busy for days.
constexpr unsigned long MaxBusyMs = 600000;

DWORD ReadDelay(const char *text)
{
    char *end = nullptr;
    unsigned long value = std::strtoul(text, &end, 10);
    if (end == text)
        return 0;
    return static_cast<DWORD>(value > MaxBusyMs ? MaxBusyMs : value);
}

// The words after the program name, and then the environment.
Options ReadOptions(const char *commandLine)
{
    Options options;
    for (const char *p = commandLine; (p = std::strchr(p, '/')) != nullptr; ++p) {
        if (_strnicmp(p, "/busy:", 6) == 0)
            options.busyMs = ReadDelay(p + 6);
        else if (_strnicmp(p, "/nochild", 8) == 0)
            options.withChild = false;
    }
    char value[32] = "";
    DWORD length = GetEnvironmentVariableA("VISTELL_BUSY_MS", value, sizeof value);
    if (length > 0 && length < sizeof value)
        options.busyMs = ReadDelay(value);
    length = GetEnvironmentVariableA("VISTELL_NO_CHILD", value, sizeof value);
    if (length > 0 && length < sizeof value && std::strcmp(value, "0") != 0)
        options.withChild = false;
    return options;
}

// The preview area follows the main window's size.
void FitChild(HWND window)
{
    HWND child = GetWindow(window, GW_CHILD);
    RECT client = {};
    GetClientRect(window, &client);
    if (child)
        MoveWindow(child, 0, 0, client.right, client.bottom, TRUE);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        FitChild(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterClasses(HINSTANCE instance)
{
    WNDCLASSA main = {};
    main.lpfnWndProc = MainProc;
    main.hInstance = instance;
    main.hCursor = LoadCursor(nullptr, IDC_ARROW);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = MainClass;
    WNDCLASSA area = {};
    area.lpfnWndProc = DefWindowProcA;
    area.hInstance = instance;
    area.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    area.lpszClassName = PreviewAreaClass;
    return RegisterClassA(&main) && RegisterClassA(&area);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    const Options options = ReadOptions(commandLine);
    // Busy before it touches any window or message: a program still loading.
    if (options.busyMs)
        Sleep(options.busyMs);

    if (!RegisterClasses(instance))
        return 1;
    HWND window = CreateWindowExA(0, MainClass, "Vistell", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    if (options.withChild)
        CreateWindowExA(0, PreviewAreaClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, window,
                        nullptr, instance, nullptr);
    FitChild(window);
    ShowWindow(window, show);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
