// Opening and closing the demo's OpenGL window.
#include "gl_window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstring>

#include "demo_loop.h"
#include "demo_texts.h"
#include "scene.h"
#include "scene_gl.h"

HWND DemoWindow = nullptr;
HDC DemoDeviceContext = nullptr;
HGLRC DemoRenderingContext = nullptr;
bool DemoFullscreen = false;
bool DemoIsLock = false;

ChangeDisplayModeProc ChangeDisplayMode = ChangeDisplaySettingsA;

namespace {

// The display-mode request uses the 148-byte DEVMODEA layout, which every
// display driver accepts; MinGW declares a longer structure (with the
// panning fields), so the size is set explicitly.
constexpr WORD DisplayModeRequestSize = 148;

constexpr UINT DemoClassStyle = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
constexpr DWORD FullscreenExStyle = WS_EX_APPWINDOW;
constexpr DWORD FullscreenStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD WindowedExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
constexpr DWORD WindowedStyle = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

constexpr double FieldOfView = 45.0;
constexpr double NearPlane = 0.1;
constexpr double FarPlane = 100.0;

// The demo's boxes have no owner and wait for an answer. Over the open
// desktop of a program that should be locking it, they would hold the
// lock back for as long as nobody answers: the lock shows none of them.
int Tell(const char *text, const char *caption, UINT type)
{
    return DemoIsLock ? 0 : MessageBoxA(nullptr, text, caption, type);
}

void ShowError(const char *text)
{
    Tell(text, DEMO_ERROR_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

void ShowShutdownError(const char *text)
{
    Tell(text, DEMO_SHUTDOWN_CAPTION, MB_OK | MB_ICONINFORMATION);
}

// The user hears why only after everything is undone, so the display is
// back to normal while the message is read.
bool FailAfterTeardown(const char *text)
{
    DestroyDemoWindow();
    ShowError(text);
    return false;
}

bool RegisterDemoClass()
{
    WNDCLASSA windowClass = {};
    // An own device context keeps the pixel format for the window's life.
    windowClass.style = DemoClassStyle;
    windowClass.lpfnWndProc = DemoWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // No background brush: OpenGL paints every pixel.
    windowClass.lpszClassName = DEMO_WINDOW_CLASS;
    return RegisterClassA(&windowClass) != 0;
}

// Switches the display to the requested mode, or lets the user fall back to
// a window. False when the user would rather stop.
bool EnterFullscreenMode(int width, int height, int bits)
{
    DEVMODEA request;
    std::memset(&request, 0, sizeof request);
    request.dmSize = DisplayModeRequestSize;
    request.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    request.dmPelsWidth = static_cast<DWORD>(width);
    request.dmPelsHeight = static_cast<DWORD>(height);
    request.dmBitsPerPel = static_cast<DWORD>(bits);
    if (ChangeDisplayMode(&request, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL)
        return true;
    // The lock asks nothing: without its mode the demo gives way to the saver.
    if (DemoIsLock)
        return false;
    if (Tell(DEMO_ASK_WINDOWED, DEMO_QUESTION_CAPTION, MB_YESNO | MB_ICONEXCLAMATION) == IDYES) {
        DemoFullscreen = false;
        return true;
    }
    Tell(DEMO_WILL_CLOSE, DEMO_ERROR_CAPTION, MB_OK | MB_ICONSTOP);
    return false;
}

static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the pixel-format request is 40 bytes");

PIXELFORMATDESCRIPTOR PixelFormatRequest(int bits)
{
    PIXELFORMATDESCRIPTOR request;
    std::memset(&request, 0, sizeof request);
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = static_cast<BYTE>(bits);
    request.cDepthBits = 16;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

// Creates the window and makes a rendering context current on it. Returns
// the text that explains a failure, or null when everything is ready.
const char *OpenWindowAndContext(const char *title, int width, int height, int bits)
{
    // As the lock's first face the demo stays above every other window.
    const DWORD exStyle = (DemoFullscreen ? FullscreenExStyle : WindowedExStyle) | (DemoIsLock ? WS_EX_TOPMOST : 0);
    const DWORD style = DemoFullscreen ? FullscreenStyle : WindowedStyle;
    // The outer size is the requested one: in a window the client area is
    // smaller by the frame.
    DemoWindow = CreateWindowExA(exStyle, DEMO_WINDOW_CLASS, title, style, 0, 0, width, height,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!DemoWindow)
        return DEMO_WINDOW_FAILED;
    DemoDeviceContext = GetDC(DemoWindow);
    if (!DemoDeviceContext)
        return DEMO_DC_FAILED;

    const PIXELFORMATDESCRIPTOR request = PixelFormatRequest(bits);
    const int format = ChoosePixelFormat(DemoDeviceContext, &request);
    if (format == 0)
        return DEMO_NO_PIXEL_FORMAT;
    if (!SetPixelFormat(DemoDeviceContext, format, &request))
        return DEMO_PIXEL_FORMAT_FAILED;
    DemoRenderingContext = wglCreateContext(DemoDeviceContext);
    if (!DemoRenderingContext)
        return DEMO_RC_FAILED;
    if (!wglMakeCurrent(DemoDeviceContext, DemoRenderingContext))
        return DEMO_RC_NOT_CURRENT;
    return nullptr;
}

void ReleaseRenderingContext()
{
    if (!wglMakeCurrent(nullptr, nullptr))
        ShowShutdownError(DEMO_RELEASE_BINDING_FAILED);
    if (!wglDeleteContext(DemoRenderingContext))
        ShowShutdownError(DEMO_RELEASE_RC_FAILED);
    DemoRenderingContext = nullptr;
}

// A handle whose release failed is forgotten all the same: it is never
// used again, and a second teardown must not release it twice.
void ReleaseDeviceContext()
{
    if (!ReleaseDC(DemoWindow, DemoDeviceContext))
        ShowShutdownError(DEMO_RELEASE_DC_FAILED);
    DemoDeviceContext = nullptr;
}

void ReleaseWindow()
{
    if (!DestroyWindow(DemoWindow))
        ShowShutdownError(DEMO_RELEASE_WINDOW_FAILED);
    DemoWindow = nullptr;
}

void LeaveFullscreenMode()
{
    // Back to the mode stored in the registry.
    ChangeDisplayMode(nullptr, 0);
    ShowCursor(TRUE);
    DemoFullscreen = false;
}

} // namespace

bool CreateDemoWindow(const char *title, int width, int height, int bits, bool fullscreen)
{
    DemoFullscreen = fullscreen;
    if (!RegisterDemoClass()) {
        ShowError(DEMO_CLASS_FAILED);
        return false;
    }
    if (DemoFullscreen && !EnterFullscreenMode(width, height, bits))
        return false;
    // A full-screen demo has nothing to point at.
    if (DemoFullscreen)
        ShowCursor(FALSE);

    if (const char *failure = OpenWindowAndContext(title, width, height, bits))
        return FailAfterTeardown(failure);

    ShowWindow(DemoWindow, SW_SHOW);
    SetForegroundWindow(DemoWindow);
    SetFocus(DemoWindow);
    ResizeViewport(width, height);
    if (!InitScene())
        return FailAfterTeardown(DEMO_INIT_FAILED);
    return true;
}

void DestroyDemoWindow()
{
    if (DemoRenderingContext)
        ReleaseRenderingContext();
    if (DemoDeviceContext)
        ReleaseDeviceContext();
    if (DemoWindow)
        ReleaseWindow();
    if (DemoFullscreen)
        LeaveFullscreenMode();
}

void ResizeViewport(int width, int height)
{
    // A window shrunk to no height still gets a valid aspect ratio.
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfView, static_cast<double>(width) / static_cast<double>(height), NearPlane,
                   FarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool InitScene()
{
    SetSceneGlState();
    SetInitialScene(TheScene, TheSceneRandom);
    return true;
}
