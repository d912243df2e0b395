#include "tests/support/preview_host.h"

#include "tests/support/message_pump.h"

namespace {

const char OwnClass[] = "DusklitPreviewHost";

} // namespace

PreviewHost::PreviewHost(const char *className)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!className) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = OwnClass;
        RegisterClassA(&windowClass); // fails harmlessly once registered
        className = OwnClass;
    }
    handle_ = CreateWindowExA(0, className, "Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 320, 240,
                              nullptr, nullptr, instance, nullptr);
    PumpMessages();
}

std::string PreviewHost::Number() const
{
    return std::to_string(reinterpret_cast<UINT_PTR>(handle_));
}

void PreviewHost::Destroy()
{
    if (handle_ && IsWindow(handle_))
        DestroyWindow(handle_);
    handle_ = nullptr;
}
