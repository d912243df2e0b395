#include "tests/support/help_viewer.h"

#include <cstddef>
#include <cstring>

namespace {

const char ViewerClass[] = "MS_WINHELP";
// Wine's mark on the WM_COPYDATA of a help request.
const ULONG_PTR HelpRequestMark = 0xA1DE505;
// A table longer than this is not a help table but a missing end mark.
const std::size_t MostPairs = 256;

#pragma pack(push, 1)
struct HelpRecord {
    WORD size;
    WORD command;
    LONG data;
    LONG reserved;
    WORD fileOffset;
    WORD extraOffset;
};
#pragma pack(pop)

bool IsControlHelp(UINT command)
{
    return command == HELP_WM_HELP || command == HELP_CONTEXTMENU;
}

std::vector<std::pair<DWORD, DWORD>> ReadTable(ULONG_PTR data)
{
    std::vector<std::pair<DWORD, DWORD>> table;
    const auto *pairs = reinterpret_cast<const DWORD *>(data);
    for (std::size_t i = 0; pairs && i < MostPairs && (pairs[2 * i] || pairs[2 * i + 1]); ++i)
        table.emplace_back(pairs[2 * i], pairs[2 * i + 1]);
    return table;
}

// The request in a WM_COPYDATA, when it is one; the file name ends at its
// zero or at the end of the record, whichever comes first.
bool DecodeRequest(HWND asker, const COPYDATASTRUCT &copy, HelpRequest &request)
{
    if (copy.dwData != HelpRequestMark || !copy.lpData || copy.cbData < sizeof(HelpRecord))
        return false;
    HelpRecord record;
    std::memcpy(&record, copy.lpData, sizeof record);
    request.window = asker;
    request.command = record.command;
    request.data = static_cast<ULONG_PTR>(static_cast<DWORD>(record.data));
    if (record.fileOffset && record.fileOffset < copy.cbData) {
        const char *file = static_cast<const char *>(copy.lpData) + record.fileOffset;
        request.file.assign(file, strnlen(file, copy.cbData - record.fileOffset));
    }
    return true;
}

HelpViewerStandin *activeViewer = nullptr;
WinHelpCalls *activeRecorder = nullptr;
using WinHelpEntry = BOOL(WINAPI *)(HWND, LPCSTR, UINT, ULONG_PTR);

// The import slot through which this program calls name of library.
void **ImportSlot(const char *library, const char *name)
{
    auto *base = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress)
        return nullptr;
    for (auto *entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char *>(base + entry->Name), library) != 0 ||
            !entry->OriginalFirstThunk)
            continue;
        auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + entry->OriginalFirstThunk);
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto *byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char *>(byName->Name), name) == 0)
                return reinterpret_cast<void **>(&slots->u1.Function);
        }
    }
    return nullptr;
}

void WriteSlot(void **slot, void *value)
{
    DWORD protection = 0;
    if (VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) {
        *slot = value;
        VirtualProtect(slot, sizeof *slot, protection, &protection);
    }
}

} // namespace

HelpViewerStandin::HelpViewerStandin()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ViewerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = ViewerClass;
    RegisterClassA(&windowClass);
    activeViewer = this;
    window_ = CreateWindowExA(0, ViewerClass, "Help viewer stand-in", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
}

HelpViewerStandin::~HelpViewerStandin()
{
    DestroyWindow(window_);
    activeViewer = nullptr;
}

LRESULT CALLBACK HelpViewerStandin::ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA && activeViewer) {
        HelpRequest request;
        if (DecodeRequest(reinterpret_cast<HWND>(wParam), *reinterpret_cast<const COPYDATASTRUCT *>(lParam),
                          request)) {
            activeViewer->received_.push_back(request);
            return TRUE;
        }
        return FALSE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

WinHelpCalls::WinHelpCalls()
{
    slot_ = ImportSlot("user32.dll", "WinHelpA");
    if (!slot_)
        return;
    original_ = *slot_;
    activeRecorder = this;
    WriteSlot(slot_, reinterpret_cast<void *>(&Record));
}

WinHelpCalls::~WinHelpCalls()
{
    if (slot_)
        WriteSlot(slot_, original_);
    activeRecorder = nullptr;
}

BOOL WINAPI WinHelpCalls::Record(HWND window, LPCSTR file, UINT command, ULONG_PTR data)
{
    WinHelpEntry original = nullptr;
    if (activeRecorder) {
        HelpRequest call;
        call.window = window;
        call.file = file ? file : "";
        call.command = command;
        call.data = data;
        if (IsControlHelp(command))
            call.table = ReadTable(data);
        activeRecorder->calls_.push_back(call);
        original = reinterpret_cast<WinHelpEntry>(activeRecorder->original_);
    }
    return original ? original(window, file, command, data) : FALSE;
}
