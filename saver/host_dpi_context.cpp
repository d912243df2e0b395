#include "saver/host_dpi_context.h"

// Both calls came with Windows 10 1607, so they are looked up where they
// are needed; the framework still runs on systems without them.

namespace {

using WindowAwarenessCall = DPI_AWARENESS_CONTEXT(WINAPI *)(HWND);
using ThreadAwarenessCall = DPI_AWARENESS_CONTEXT(WINAPI *)(DPI_AWARENESS_CONTEXT);

template <typename Call>
Call User32Call(const char *name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<Call>(reinterpret_cast<void *>(GetProcAddress(user32, name))) : nullptr;
}

} // namespace

DPI_AWARENESS_CONTEXT SaidHostAwareness = nullptr;

HostDpiContext::HostDpiContext(HWND host)
{
    const auto readHost = User32Call<WindowAwarenessCall>("GetWindowDpiAwarenessContext");
    const auto setThread = User32Call<ThreadAwarenessCall>("SetThreadDpiAwarenessContext");
    if (!readHost || !setThread || !IsWindow(host))
        return; // a handle that names no window has no awareness to take
    DPI_AWARENESS_CONTEXT hostContext = SaidHostAwareness ? SaidHostAwareness : readHost(host);
    if (hostContext)
        previous_ = setThread(hostContext);
}

HostDpiContext::~HostDpiContext()
{
    if (!previous_)
        return;
    if (const auto setThread = User32Call<ThreadAwarenessCall>("SetThreadDpiAwarenessContext"))
        setThread(previous_);
}
