#include "saver/resource_check.h"

#include "library/module.h"
#include "resource_ids.h"

// LoadIconA hands out the process's one shared copy of the icon, which is
// not ours to destroy.
void ScrCheckResources()
{
    if (LoadIconA(ScrLibraryInstance, MAKEINTRESOURCEA(IDI_DUSKLIT)))
        return;
    MessageBoxA(nullptr, "You _MUST_ include the Dusklit resources (dusklit.res)", "Dusklit", MB_OK);
}
