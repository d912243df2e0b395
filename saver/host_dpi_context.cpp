#include "saver/host_dpi_context.h"

#include "saver/system_components.h"

// Both calls came with Windows 10 1607, so they are looked up where they
// are needed; the framework still runs on systems without them.

namespace {

using WindowAwarenessCall = DPI_AWARENESS_CONTEXT(WINAPI *)(HWND);
using ThreadAwarenessCall = DPI_AWARENESS_CONTEXT(WINAPI *)(DPI_AWARENESS_CONTEXT);

} // namespace

DPI_AWARENESS_CONTEXT SaidHostAwareness = nullptr;

HostDpiContext::HostDpiContext(HWND host)
{
    const auto readHost = SystemEntry<WindowAwarenessCall>("user32.dll", "GetWindowDpiAwarenessContext");
    const auto setThread = SystemEntry<ThreadAwarenessCall>("user32.dll", "SetThreadDpiAwarenessContext");
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
    if (const auto setThread = SystemEntry<ThreadAwarenessCall>("user32.dll", "SetThreadDpiAwarenessContext"))
        setThread(previous_);
}
