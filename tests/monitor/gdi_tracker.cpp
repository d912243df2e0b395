#include "tests/monitor/gdi_tracker.h"

#include <algorithm>
#include <cstdint>

namespace {

struct MadeDC {
    HDC dc;
    HGDIOBJ originalBitmap;
};

struct TrackerState {
    bool active = false;
    int dcsMade = 0;
    int bitmapsMade = 0;
    std::vector<MadeDC> dcs;
    std::vector<HGDIOBJ> bitmaps;
    std::vector<std::string> faults;
};

TrackerState State;

// Each kind of fault is told once: a fault in the painting code repeats
// with every paint.
void Fault(const char *what)
{
    if (std::find(State.faults.begin(), State.faults.end(), what) == State.faults.end())
        State.faults.push_back(what);
}

// The real calls, found the way the loader found them.
template <typename F> F Real(const char *module, const char *name)
{
    return reinterpret_cast<F>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA(module), name)));
}

using CreateCompatibleDCFn = HDC(WINAPI *)(HDC);
using CreateCompatibleBitmapFn = HBITMAP(WINAPI *)(HDC, int, int);
using DeleteDCFn = BOOL(WINAPI *)(HDC);
using DeleteObjectFn = BOOL(WINAPI *)(HGDIOBJ);

CreateCompatibleDCFn RealCreateCompatibleDC;
CreateCompatibleBitmapFn RealCreateCompatibleBitmap;
DeleteDCFn RealDeleteDC;
DeleteObjectFn RealDeleteObject;

HDC WINAPI TrackedCreateCompatibleDC(HDC dc)
{
    HDC made = RealCreateCompatibleDC(dc);
    if (made) {
        ++State.dcsMade;
        State.dcs.push_back({made, GetCurrentObject(made, OBJ_BITMAP)});
    }
    return made;
}

HBITMAP WINAPI TrackedCreateCompatibleBitmap(HDC dc, int width, int height)
{
    HBITMAP made = RealCreateCompatibleBitmap(dc, width, height);
    if (made) {
        ++State.bitmapsMade;
        State.bitmaps.push_back(made);
    }
    return made;
}

BOOL WINAPI TrackedDeleteDC(HDC dc)
{
    auto found = std::find_if(State.dcs.begin(), State.dcs.end(),
                              [dc](const MadeDC &made) { return made.dc == dc; });
    if (found != State.dcs.end()) {
        // A DC deleted with a bitmap of its owner's still in it would leave
        // that bitmap selected into a dead DC, and undeletable.
        if (GetCurrentObject(dc, OBJ_BITMAP) != found->originalBitmap)
            Fault("a DC was deleted with a bitmap still selected into it");
        State.dcs.erase(found);
    }
    BOOL deleted = RealDeleteDC(dc);
    if (!deleted)
        Fault("DeleteDC failed");
    return deleted;
}

BOOL WINAPI TrackedDeleteObject(HGDIOBJ object)
{
    auto found = std::find(State.bitmaps.begin(), State.bitmaps.end(), object);
    if (found != State.bitmaps.end()) {
        for (const MadeDC &made : State.dcs)
            if (GetCurrentObject(made.dc, OBJ_BITMAP) == object)
                Fault("a bitmap was deleted while selected into a DC");
        State.bitmaps.erase(found);
    } else if (GetObjectType(object) == OBJ_BITMAP) {
        Fault("a bitmap made elsewhere was deleted");
    }
    BOOL deleted = RealDeleteObject(object);
    if (!deleted)
        Fault("DeleteObject failed");
    return deleted;
}

struct Redirect {
    void *real;
    void *tracked;
};

// Swaps, in this program's import address table, every slot holding one of
// the `from` addresses for the matching `to` address.
int RewriteImports(const Redirect *redirects, size_t count, bool toTracked)
{
    auto *base = reinterpret_cast<std::uint8_t *>(GetModuleHandleA(nullptr));
    auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress)
        return 0;
    int rewritten = 0;
    auto *descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
    for (; descriptor->Name; ++descriptor) {
        auto *slot = reinterpret_cast<IMAGE_THUNK_DATA *>(base + descriptor->FirstThunk);
        for (; slot->u1.Function; ++slot) {
            for (size_t i = 0; i < count; ++i) {
                void *from = toTracked ? redirects[i].real : redirects[i].tracked;
                void *to = toTracked ? redirects[i].tracked : redirects[i].real;
                if (reinterpret_cast<void *>(slot->u1.Function) != from)
                    continue;
                DWORD protection;
                VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE,
                               &protection);
                slot->u1.Function = reinterpret_cast<DWORD_PTR>(to);
                VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection,
                               &protection);
                ++rewritten;
            }
        }
    }
    return rewritten;
}

constexpr size_t RedirectCount = 4;

void Redirects(Redirect (&redirects)[RedirectCount])
{
    redirects[0] = {reinterpret_cast<void *>(RealCreateCompatibleDC),
                    reinterpret_cast<void *>(TrackedCreateCompatibleDC)};
    redirects[1] = {reinterpret_cast<void *>(RealCreateCompatibleBitmap),
                    reinterpret_cast<void *>(TrackedCreateCompatibleBitmap)};
    redirects[2] = {reinterpret_cast<void *>(RealDeleteDC),
                    reinterpret_cast<void *>(TrackedDeleteDC)};
    redirects[3] = {reinterpret_cast<void *>(RealDeleteObject),
                    reinterpret_cast<void *>(TrackedDeleteObject)};
}

} // namespace

GdiTracker::GdiTracker()
{
    State = TrackerState();
    RealCreateCompatibleDC = Real<CreateCompatibleDCFn>("gdi32.dll", "CreateCompatibleDC");
    RealCreateCompatibleBitmap =
        Real<CreateCompatibleBitmapFn>("gdi32.dll", "CreateCompatibleBitmap");
    RealDeleteDC = Real<DeleteDCFn>("gdi32.dll", "DeleteDC");
    RealDeleteObject = Real<DeleteObjectFn>("gdi32.dll", "DeleteObject");
    Redirect redirects[RedirectCount];
    Redirects(redirects);
    // All four calls are imported by the painting code; each must be found.
    State.active = RewriteImports(redirects, RedirectCount, true) >= static_cast<int>(RedirectCount);
}

GdiTracker::~GdiTracker()
{
    Redirect redirects[RedirectCount];
    Redirects(redirects);
    RewriteImports(redirects, RedirectCount, false);
    State.active = false;
}

bool GdiTracker::Active() const { return State.active; }
int GdiTracker::DCsMade() const { return State.dcsMade; }
int GdiTracker::BitmapsMade() const { return State.bitmapsMade; }
int GdiTracker::DCsLeft() const { return static_cast<int>(State.dcs.size()); }
int GdiTracker::BitmapsLeft() const { return static_cast<int>(State.bitmaps.size()); }
std::vector<std::string> GdiTracker::Faults() const { return State.faults; }
