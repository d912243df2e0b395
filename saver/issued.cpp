#include "saver/issued.h"

#include <cstdint>
#include <mutex>
#include <set>
#include <utility>

namespace {

using Entry = std::pair<std::uintptr_t, Issued>;

// Pointers are issued and checked on several threads (the timer threads,
// previews of a loaded library, tests driving a dialog), so the set is
// locked.
std::mutex &IssuedLock()
{
    static std::mutex lock;
    return lock;
}

std::multiset<Entry> &IssuedSet()
{
    static std::multiset<Entry> entries;
    return entries;
}

Entry Key(const void *pointer, Issued purpose)
{
    return {reinterpret_cast<std::uintptr_t>(pointer), purpose};
}

constexpr DWORD ReadableProtection = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                     PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD WritableProtection = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE |
                                     PAGE_EXECUTE_WRITECOPY;

// Walks the regions that cover the range; each must be committed with the
// wanted access and without guard or no-access bits.
bool IsAccessible(LPARAM address, std::size_t size, DWORD wanted)
{
    auto first = static_cast<std::uintptr_t>(address);
    if (!first || size == 0 || first + size < first)
        return false;
    const std::uintptr_t end = first + size;
    while (first < end) {
        MEMORY_BASIC_INFORMATION region = {};
        if (VirtualQuery(reinterpret_cast<const void *>(first), &region, sizeof region) != sizeof region)
            return false;
        if (region.State != MEM_COMMIT || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) ||
            !(region.Protect & wanted))
            return false;
        const std::uintptr_t regionEnd = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (regionEnd <= first)
            return false;
        first = regionEnd;
    }
    return true;
}

} // namespace

void IssuePointer(const void *pointer, Issued purpose)
{
    if (!pointer)
        return;
    std::lock_guard<std::mutex> guard(IssuedLock());
    IssuedSet().insert(Key(pointer, purpose));
}

bool WithdrawPointer(const void *pointer, Issued purpose)
{
    if (!pointer)
        return false;
    std::lock_guard<std::mutex> guard(IssuedLock());
    auto found = IssuedSet().find(Key(pointer, purpose));
    if (found == IssuedSet().end())
        return false;
    IssuedSet().erase(found);
    return true;
}

bool WasIssued(const void *pointer, Issued purpose)
{
    if (!pointer)
        return false;
    std::lock_guard<std::mutex> guard(IssuedLock());
    return IssuedSet().count(Key(pointer, purpose)) != 0;
}

IssuedScope::IssuedScope(const void *pointer, Issued purpose) : pointer_(pointer), purpose_(purpose)
{
    IssuePointer(pointer_, purpose_);
}

IssuedScope::~IssuedScope()
{
    WithdrawPointer(pointer_, purpose_);
}

bool FirstInitialisation(HWND dialog)
{
    if (!dialog)
        return false;
    std::lock_guard<std::mutex> guard(IssuedLock());
    if (IssuedSet().count(Key(dialog, Issued::InitialisedDialog)))
        return false;
    IssuedSet().insert(Key(dialog, Issued::InitialisedDialog));
    return true;
}

void ForgetInitialisation(HWND dialog)
{
    std::lock_guard<std::mutex> guard(IssuedLock());
    IssuedSet().erase(Key(dialog, Issued::InitialisedDialog));
}

bool IsReadableMemory(LPARAM address, std::size_t size)
{
    return IsAccessible(address, size, ReadableProtection);
}

bool IsWritableMemory(LPARAM address, std::size_t size)
{
    return IsAccessible(address, size, WritableProtection);
}

bool SentByAnotherThread()
{
    return InSendMessageEx(nullptr) != ISMEX_NOSEND;
}
