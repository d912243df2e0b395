// Tells, as its exit code, whether the system says a screen saver is
// running: 1 yes, 0 no, 3 when it could not be asked.
//
// Wine keeps a process's first reading of this state for the rest of the
// process's life, so a test that watches the state change asks a new
// process each time.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    BOOL running = FALSE;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0))
        return 3;
    return running ? 1 : 0;
}
