#include "gl/pixel_format.h"

#include <cstring>

namespace {

// WGL_ARB_pixel_format and WGL_ARB_multisample, by number: not every
// compiler ships wglext.h.
constexpr int DrawToWindowArb = 0x2001;
constexpr int SupportOpenGlArb = 0x2010;
constexpr int DoubleBufferArb = 0x2011;
constexpr int PixelTypeArb = 0x2013;
constexpr int ColorBitsArb = 0x2014;
constexpr int DepthBitsArb = 0x2022;
constexpr int TypeRgbaArb = 0x202B;
constexpr int SampleBuffersArb = 0x2041;
constexpr int SamplesArb = 0x2042;

constexpr DWORD NeededFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;

using ChoosePixelFormatArb = BOOL(WINAPI *)(HDC, const int *, const FLOAT *, UINT, int *, UINT *);
using ExtensionsStringArb = const char *(WINAPI *)(HDC);
using ExtensionsStringExt = const char *(WINAPI *)();

template <typename Call> Call WglCall(const char *name)
{
    return reinterpret_cast<Call>(reinterpret_cast<void *>(wglGetProcAddress(name)));
}

bool IsFit(HDC dc, int format)
{
    PIXELFORMATDESCRIPTOR described = {};
    if (format <= 0 || !DescribePixelFormat(dc, format, sizeof described, &described))
        return false;
    return (described.dwFlags & NeededFlags) == NeededFlags && described.iPixelType == PFD_TYPE_RGBA;
}

PIXELFORMATDESCRIPTOR Request(LONG depthBits)
{
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = NeededFlags;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 24;
    request.cDepthBits = static_cast<BYTE>(depthBits);
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

// The system's closest match, which may have less depth than asked.
int ChooseClassic(HDC dc, LONG depthBits)
{
    const PIXELFORMATDESCRIPTOR request = Request(depthBits);
    const int format = ChoosePixelFormat(dc, &request);
    return IsFit(dc, format) ? format : 0;
}

// Multisampled formats are listed only through wglChoosePixelFormatARB,
// which needs a current context, and a window takes one pixel format in
// its life: the call is looked up on a scratch window of its own. Fewer
// samples are tried down to 2; 0 when none is offered.
int ChooseMultisampled(HDC dc, LONG depthBits, LONG samples)
{
    HWND scratch = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    HDC scratchDc = scratch ? GetDC(scratch) : nullptr;
    int format = 0;
    const int classic = scratchDc ? ChooseClassic(scratchDc, depthBits) : 0;
    const PIXELFORMATDESCRIPTOR request = Request(depthBits);
    HGLRC context = classic && SetPixelFormat(scratchDc, classic, &request) ? wglCreateContext(scratchDc) : nullptr;
    HDC previousDc = wglGetCurrentDC();
    HGLRC previous = wglGetCurrentContext();
    if (context && wglMakeCurrent(scratchDc, context)) {
        auto choose = HasWglExtension(scratchDc, "WGL_ARB_multisample")
                          ? WglCall<ChoosePixelFormatArb>("wglChoosePixelFormatARB")
                          : nullptr;
        for (LONG tried = samples; choose && tried >= 2 && !format; tried /= 2) {
            const int attributes[] = {DrawToWindowArb, 1, SupportOpenGlArb, 1, DoubleBufferArb, 1,
                                      PixelTypeArb, TypeRgbaArb, ColorBitsArb, 24, DepthBitsArb,
                                      static_cast<int>(depthBits), SampleBuffersArb, 1, SamplesArb,
                                      static_cast<int>(tried), 0};
            int found = 0;
            UINT count = 0;
            if (choose(dc, attributes, nullptr, 1, &found, &count) && count > 0 && IsFit(dc, found))
                format = found;
        }
        wglMakeCurrent(previousDc, previous);
    }
    if (context)
        wglDeleteContext(context);
    if (scratchDc)
        ReleaseDC(scratch, scratchDc);
    if (scratch)
        DestroyWindow(scratch);
    return format;
}

// Whole words of a space-separated list.
bool ListNames(const char *list, const char *name)
{
    const std::size_t length = std::strlen(name);
    for (const char *at = list; at && (at = std::strstr(at, name)) != nullptr; at += length) {
        const bool starts = at == list || at[-1] == ' ';
        if (starts && (at[length] == ' ' || at[length] == '\0'))
            return true;
    }
    return false;
}

} // namespace

bool HasWglExtension(HDC dc, const char *name)
{
    if (auto arb = WglCall<ExtensionsStringArb>("wglGetExtensionsStringARB"))
        return ListNames(arb(dc), name);
    if (auto ext = WglCall<ExtensionsStringExt>("wglGetExtensionsStringEXT"))
        return ListNames(ext(), name);
    return false;
}

bool SetSaverPixelFormat(HDC dc, LONG depthBits, LONG samples)
{
    const int current = GetPixelFormat(dc);
    if (current)
        return IsFit(dc, current);
    int format = samples > 0 ? ChooseMultisampled(dc, depthBits, samples) : 0;
    if (!format)
        format = ChooseClassic(dc, depthBits);
    const PIXELFORMATDESCRIPTOR request = Request(depthBits);
    return format && SetPixelFormat(dc, format, &request);
}
