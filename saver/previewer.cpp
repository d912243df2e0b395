#include "saver/previewer.h"

#include <cstring>

#include "library/module.h"
#include "resource_ids.h"
#include "saver/previewer_name.h"
#include "saver/resource_texts.h"
#include "saver/system_components.h"

namespace {

// How long the freshly started previewer has to become ready for input.
constexpr DWORD PreviewerIdleWaitMs = 2000;
// Message texts are longer than names: 199 characters and the zero.
constexpr int MessageTextSize = 200;
// CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_PROCESS_GROUP: the previewer
// outlives the saver and should not share its error mode or Ctrl+C group.
constexpr DWORD PreviewerCreationFlags = 0x04000200;

void LowerCaseWithSystem(char *text, std::size_t length)
{
    CharLowerBuffA(text, static_cast<DWORD>(length));
}

// Messages for the user, shown whether or not debug output is on; a text
// that cannot be loaded shows nothing.
void ShowPreviewerMessage(UINT id, const char *caption)
{
    char text[MessageTextSize];
    if (LoadStringA(ScrLibraryInstance, id, text, MessageTextSize - 1) > 0)
        MessageBoxA(nullptr, text, caption, MB_OK);
}

// Starts the previewer and waits until it is ready for input. The program
// is the file of its lower-cased name in the system directory, never one
// found through the current directory or PATH; its command line is the
// bare name. Returns its window, or null after telling the user why not.
HWND StartPreviewer(char *lowerCaseName, const char *caption)
{
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    static_assert(sizeof startup == (sizeof(void *) == 4 ? 68 : 104), "the start-up record of Windows");
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char program[MAX_PATH];
    if (!SystemComponentPath(lowerCaseName, program) ||
        !CreateProcessA(program, lowerCaseName, nullptr, nullptr, FALSE, PreviewerCreationFlags, nullptr, nullptr,
                        &startup, &process)) {
        ShowPreviewerMessage(IDS_PREVIEWER_NOT_STARTED, caption);
        return nullptr;
    }
    // The previewer goes its own way from here: it is neither watched nor
    // ended, so its handles are not kept.
    const DWORD waited = WaitForInputIdle(process.hProcess, PreviewerIdleWaitMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (waited == WAIT_TIMEOUT) {
        ShowPreviewerMessage(IDS_PREVIEWER_NO_RESPONSE, caption);
        return nullptr;
    }
    if (waited == WAIT_FAILED) {
        ShowPreviewerMessage(IDS_PREVIEWER_INIT_FAILED, caption);
        return nullptr;
    }
    HWND previewer = FindWindowA(lowerCaseName, nullptr);
    if (!previewer) {
        ShowPreviewerMessage(IDS_PREVIEWER_NOT_FOUND, caption);
        return nullptr;
    }
    SetForegroundWindow(previewer);
    return previewer;
}

} // namespace

HWND ScrLaunchPreviewer(const char *text)
{
    TextBuffer name;
    if (!LoadLibraryText(IDS_PREVIEWER_NAME, name))
        return nullptr;
    TextBuffer caption;
    std::memcpy(caption, name, sizeof caption);
    CharLowerBuffA(name, static_cast<DWORD>(std::strlen(name)));

    if (!SwitchNamesPreviewer(text, name, LowerCaseWithSystem))
        return nullptr;

    // One that already runs is used as it is, left where it is on screen.
    HWND previewer = FindWindowA(name, nullptr);
    if (!previewer && !(previewer = StartPreviewer(name, caption)))
        return nullptr;

    HWND child = GetWindow(previewer, GW_CHILD);
    if (!child)
        ShowPreviewerMessage(IDS_PREVIEWER_NO_CHILD, caption);
    return child;
}
