// The smallest saver built on dusklit.dll: linked against the import
// library only, it draws nothing and leaves everything to the framework.
#include "dusklit.h"

namespace {

LRESULT CALLBACK SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefSaverProc(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return ScrMain(instance, SaverProc, nullptr, nullptr, 0);
}
