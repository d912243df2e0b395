#include "saver/previewer.h"

// The separate previewer is not wired in yet: no command line names it,
// so the preview runs in the window whose number follows the switch.
HWND ScrLaunchPreviewer(const char *)
{
    return nullptr;
}
