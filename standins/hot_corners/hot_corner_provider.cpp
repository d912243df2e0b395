// A hot-corner provider: the System Agent's Sage.DLL or Cornix.dll. Both
// behave alike and differ only in the registry key they keep their state
// under, which the build passes in as HOT_CORNER_PROVIDER_KEY. The answer
// of System_Agent_Detect is whatever that key says, so a test can choose
// it; each Screen_Saver_Changed is counted there, so a test can see it.
#include <windows.h>

#include "standins/standin_registry.h"

#ifndef HOT_CORNER_PROVIDER_KEY
#error "HOT_CORNER_PROVIDER_KEY names the provider's registry key"
#endif

namespace {

// A REG_DWORD of the provider's key, or 0 when the key or value is missing
// or has another type or size.
DWORD ReadDword(HKEY key, const char *name)
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return 0;
    return value;
}

} // namespace

extern "C" DWORD WINAPI System_Agent_Detect()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, HOT_CORNER_PROVIDER_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD answer = ReadDword(key, STANDIN_AGENT_VALUE);
    RegCloseKey(key);
    return answer;
}

extern "C" DWORD WINAPI Screen_Saver_Changed()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, HOT_CORNER_PROVIDER_KEY, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    DWORD count = ReadDword(key, STANDIN_CHANGED_VALUE) + 1;
    RegSetValueExA(key, STANDIN_CHANGED_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&count), sizeof count);
    RegCloseKey(key);
    return count;
}
