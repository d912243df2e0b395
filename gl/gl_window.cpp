// The OpenGL helper's calls (dusklit_gl.h): one record per attached saver
// window, holding its device context, its rendering context, where its
// monitors lie and how its swaps are paced. The record follows the window
// through a subclass, which sees the window's messages before the saver's
// procedure does, so moves, size changes, display changes and the window's
// end reach it whatever the saver does with them.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <GL/gl.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "dusklit.h"
#include "dusklit_gl.h"
#include "gl/pixel_format.h"
#include "gl/swap_pacer.h"

namespace {

constexpr LONG DefaultDepthBits = 24;
constexpr LONG MaxDepthBits = 32;
constexpr LONG MaxSamples = 16;
constexpr LONG MaxSwapInterval = 4;
// A display that does not say its rate (0 or 1, "the hardware's
// default") is taken to show 60 pictures a second.
constexpr DWORD AssumedRefreshHz = 60;
constexpr UINT_PTR SubclassId = 0x44474C; // "DGL"

using SwapIntervalExt = BOOL(WINAPI *)(int);

struct GLWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    LONG swapInterval = 1;
    std::vector<ScrMonitor> monitors; // in client coordinates, top-down
    LONG clientHeight = 0;
    double refreshMs = 1000.0 / AssumedRefreshHz;
    SwapPacer pacer;
    bool fineTimer = false; // timeBeginPeriod(1) is in force for the clock's waits
};

// Windows of several threads may be attached (previews of a loaded
// library); each record is used and removed only on its window's thread,
// so the lock guards the table alone.
std::mutex &TableLock()
{
    static std::mutex lock;
    return lock;
}

std::map<HWND, std::unique_ptr<GLWindow>> &Table()
{
    static std::map<HWND, std::unique_ptr<GLWindow>> table;
    return table;
}

bool OnThisThread(HWND window)
{
    return window && IsWindow(window) && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

// The window's record, when it is attached and this is its thread.
GLWindow *Attached(HWND window)
{
    if (!OnThisThread(window))
        return nullptr;
    std::lock_guard<std::mutex> guard(TableLock());
    auto found = Table().find(window);
    return found == Table().end() ? nullptr : found->second.get();
}

double NowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

double PrimaryRefreshMs()
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    DWORD hz = AssumedRefreshHz;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
        hz = mode.dmDisplayFrequency;
    return 1000.0 / hz;
}

// Where the monitors lie now, and the display's rate; the pacing starts
// over from here.
void FollowDisplay(GLWindow &gl)
{
    const int count = ScrGetMonitors(gl.window, nullptr, 0);
    gl.monitors.resize(count > 0 ? static_cast<size_t>(count) : 0);
    if (count > 0 && ScrGetMonitors(gl.window, gl.monitors.data(), count) != count)
        gl.monitors.clear(); // the desktop changed under the call; the next message brings it
    RECT client = {};
    GetClientRect(gl.window, &client);
    gl.clientHeight = client.bottom;
    gl.refreshMs = PrimaryRefreshMs();
    gl.pacer.Reset(gl.swapInterval * gl.refreshMs);
}

bool MakeCurrent(const GLWindow &gl)
{
    return wglGetCurrentContext() == gl.context || wglMakeCurrent(gl.dc, gl.context);
}

// Waits until the moment on NowMs's clock: sleeps through whole
// milliseconds and yields through the rest, so the pictures keep the
// period to a fraction of a millisecond.
void WaitUntil(GLWindow &gl, double moment)
{
    if (!gl.fineTimer)
        gl.fineTimer = timeBeginPeriod(1) == TIMERR_NOERROR;
    for (double left = moment - NowMs(); left > 0; left = moment - NowMs()) {
        if (left >= 1)
            Sleep(static_cast<DWORD>(left));
        else
            SwitchToThread();
    }
}

void Release(std::unique_ptr<GLWindow> gl)
{
    if (wglGetCurrentContext() == gl->context)
        wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(gl->context);
    ReleaseDC(gl->window, gl->dc);
    if (gl->fineTimer)
        timeEndPeriod(1);
}

LRESULT CALLBACK FollowWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // every pixel is the context's
    case WM_WINDOWPOSCHANGED:
    case WM_DISPLAYCHANGE: {
        // After the saver (and DefSaverProc, which moves the full-screen
        // window onto a changed desktop) has seen it.
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        if (GLWindow *gl = Attached(window))
            FollowDisplay(*gl);
        return result;
    }
    case WM_DESTROY:
    case WM_NCDESTROY: {
        // After the saver, which may still draw or free its objects in its
        // WM_DESTROY. A WM_DESTROY that the framework refused (another
        // program sent it) leaves a saver window, and its picture, alive.
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        if (message == WM_NCDESTROY || !ScrIsSaverWindow(window))
            ScrGLDetach(window);
        return result;
    }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// The config's values, checked: a config of another size or with values
// out of range is refused rather than guessed at.
bool ReadConfig(const ScrGLConfig *config, LONG &depthBits, LONG &samples, LONG &swapInterval)
{
    depthBits = DefaultDepthBits;
    samples = 0;
    swapInterval = 1;
    if (!config)
        return true;
    if (config->Size != static_cast<LONG>(sizeof(ScrGLConfig)))
        return false;
    depthBits = config->DepthBits;
    samples = config->Samples;
    swapInterval = config->SwapInterval;
    return depthBits >= 0 && depthBits <= MaxDepthBits && samples >= 0 && samples <= MaxSamples &&
           swapInterval >= 0 && swapInterval <= MaxSwapInterval;
}

// The interval goes to the driver where it has swap control; where it has
// none, the pacer finds the swaps unblocked and waits on the clock.
void SetSwapInterval(HDC dc, LONG interval)
{
    if (!HasWglExtension(dc, "WGL_EXT_swap_control"))
        return;
    auto setInterval = reinterpret_cast<SwapIntervalExt>(reinterpret_cast<void *>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (setInterval)
        setInterval(static_cast<int>(interval));
}

// The window's context, made current on this thread, or null with
// nothing left behind but the pixel format, which no window can shed.
HGLRC CreateCurrentContext(HDC dc, LONG depthBits, LONG samples)
{
    if (!SetSaverPixelFormat(dc, depthBits, samples))
        return nullptr;
    HGLRC context = wglCreateContext(dc);
    if (context && !wglMakeCurrent(dc, context)) {
        wglDeleteContext(context);
        context = nullptr;
    }
    return context;
}

} // namespace

BOOL WINAPI ScrGLAttach(HWND window, const ScrGLConfig *config)
{
    LONG depthBits, samples, swapInterval;
    if (!ReadConfig(config, depthBits, samples, swapInterval) || !OnThisThread(window) ||
        !ScrIsSaverWindow(window) || Attached(window))
        return FALSE;
    auto gl = std::make_unique<GLWindow>();
    gl->window = window;
    gl->swapInterval = swapInterval;
    gl->dc = GetDC(window);
    if (!gl->dc)
        return FALSE;
    gl->context = CreateCurrentContext(gl->dc, depthBits, samples);
    if (!gl->context) {
        ReleaseDC(window, gl->dc);
        return FALSE;
    }
    SetSwapInterval(gl->dc, swapInterval);
    if (!SetWindowSubclass(window, FollowWindow, SubclassId, 0)) {
        Release(std::move(gl));
        return FALSE;
    }
    FollowDisplay(*gl);
    std::lock_guard<std::mutex> guard(TableLock());
    Table()[window] = std::move(gl);
    return TRUE;
}

int WINAPI ScrGLMonitorCount(HWND window)
{
    const GLWindow *gl = Attached(window);
    return gl ? static_cast<int>(gl->monitors.size()) : 0;
}

BOOL WINAPI ScrGLUseMonitor(HWND window, int index)
{
    const GLWindow *gl = Attached(window);
    if (!gl || index < 0 || index >= static_cast<int>(gl->monitors.size()) || !MakeCurrent(*gl))
        return FALSE;
    const RECT &rect = gl->monitors[static_cast<size_t>(index)].rect;
    const GLint bottom = gl->clientHeight - rect.bottom; // OpenGL counts rows from the bottom
    const GLsizei width = rect.right - rect.left;
    const GLsizei height = rect.bottom - rect.top;
    glViewport(rect.left, bottom, width, height);
    glScissor(rect.left, bottom, width, height);
    glEnable(GL_SCISSOR_TEST);
    return TRUE;
}

BOOL WINAPI ScrGLSwap(HWND window)
{
    GLWindow *gl = Attached(window);
    if (!gl || !MakeCurrent(*gl))
        return FALSE;
    const BOOL swapped = SwapBuffers(gl->dc);
    const double end = NowMs();
    const double wait = gl->pacer.WaitAfterSwap(end);
    if (wait > 0)
        WaitUntil(*gl, end + wait);
    return swapped;
}

UINT WINAPI ScrGLPeriod(HWND window)
{
    const GLWindow *gl = Attached(window);
    if (gl && gl->swapInterval > 0)
        return 0;
    const double refreshMs = gl ? gl->refreshMs : PrimaryRefreshMs();
    return static_cast<UINT>(refreshMs + 0.5);
}

void WINAPI ScrGLDetach(HWND window)
{
    if (!OnThisThread(window))
        return;
    std::unique_ptr<GLWindow> gl;
    {
        std::lock_guard<std::mutex> guard(TableLock());
        auto found = Table().find(window);
        if (found == Table().end())
            return;
        gl = std::move(found->second);
        Table().erase(found);
    }
    RemoveWindowSubclass(window, FollowWindow, SubclassId);
    Release(std::move(gl));
}
