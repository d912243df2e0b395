// The smallest saver an author could write on the SDK: it leaves drawing,
// closing and configuring to the framework.
#include "dusklit.h"

static LRESULT CALLBACK ConsumerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefSaverProc(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return ScrMain(instance, ConsumerProc, nullptr, nullptr, 0);
}
