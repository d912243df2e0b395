// Apart from message_pump.cpp, so that only the programs that wait this
// way link the whole-program driver.
#include "tests/driver/program_driver.h"
#include "tests/support/message_pump.h"

bool PumpingWaitUntil(const std::function<bool()> &condition, DWORD timeoutMs)
{
    return driver::WaitUntil([&] {
        PumpMessages();
        return condition();
    }, timeoutMs, 10);
}
