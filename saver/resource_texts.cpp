#include "saver/resource_texts.h"

#include "library/module.h"
#include "saver/run_state.h"

static bool LoadFrom(HINSTANCE module, UINT id, TextBuffer &text)
{
    text[0] = '\0';
    return module && LoadStringA(module, id, text, TextBufferSize - 1) > 0;
}

bool LoadLibraryText(UINT id, TextBuffer &text)
{
    return LoadFrom(ScrLibraryInstance, id, text);
}

bool LoadSaverText(UINT id, TextBuffer &text)
{
    return LoadFrom(ModuleInstance, id, text) || LoadFrom(ScrLibraryInstance, id, text);
}
