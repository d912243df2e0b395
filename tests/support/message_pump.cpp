#include "tests/support/message_pump.h"

#include "tests/support/clock.h"

PumpResult Drain()
{
    PumpResult result;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            result.quit = true;
            result.quitCode = static_cast<int>(message.wParam);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return result;
}

PumpResult Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        PumpResult step = Drain();
        if (step.quit)
            return step;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return {};
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

void PumpMessages()
{
    Drain();
}

void PumpFor(double seconds)
{
    const double end = NowSeconds() + seconds;
    for (double left = seconds; left > 0; left = end - NowSeconds())
        Pump(static_cast<DWORD>(left * 1000) + 1);
}
