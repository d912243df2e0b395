// Sage.DLL and Cornix.dll, installed in the system directory, where the
// settings store loads them from.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "standins/standin_registry.h"
#include "tests/support/standins.h"

namespace {

using ProviderCall = DWORD(WINAPI *)();

struct Provider {
    const char *fileName;
    const char *key;
    const char *otherKey;
};

const Provider kSage = {"Sage.DLL", STANDIN_SAGE_KEY, STANDIN_CORNIX_KEY};
const Provider kCornix = {"Cornix.dll", STANDIN_CORNIX_KEY, STANDIN_SAGE_KEY};

void SetDword(const char *keyName, const char *name, DWORD value)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
    RegCloseKey(key);
}

void SetText(const char *keyName, const char *name, const char *text)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), lstrlenA(text) + 1);
    RegCloseKey(key);
}

// The value, or -1 when it is missing.
long long ReadDword(const char *keyName, const char *name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return -1;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    LONG read = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return -1;
    return value;
}

// The provider loaded for one call and released, as the settings store
// uses it.
DWORD CallOnce(const char *fileName, const char *exportName)
{
    HMODULE library = LoadLibraryA(fileName);
    EXPECT_NE(nullptr, library) << fileName;
    if (!library)
        return 0xDEADBEEF;
    auto call = reinterpret_cast<ProviderCall>(reinterpret_cast<void *>(GetProcAddress(library, exportName)));
    EXPECT_NE(nullptr, call) << fileName << " " << exportName;
    DWORD result = call ? call() : 0xDEADBEEF;
    FreeLibrary(library);
    return result;
}

class HotCornerProvider : public testing::TestWithParam<Provider> {
protected:
    // The keys have no subkeys, so deleting them deletes everything.
    void SetUp() override { ClearKeys(); }
    void TearDown() override { ClearKeys(); }
    static void ClearKeys()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, STANDIN_SAGE_KEY);
        RegDeleteKeyA(HKEY_CURRENT_USER, STANDIN_CORNIX_KEY);
    }
};

TEST_P(HotCornerProvider, IsInstalledInTheSystemDirectory)
{
    const Provider &provider = GetParam();
    HMODULE library = LoadLibraryA(provider.fileName);
    ASSERT_NE(nullptr, library);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(library, path, sizeof path);
    FreeLibrary(library);
    std::string expected = InstalledComponent(provider.fileName);
    EXPECT_EQ(0, lstrcmpiA(expected.c_str(), path)) << path;
}

TEST_P(HotCornerProvider, AnswersTheAgentValueOfItsOwnKey)
{
    const Provider &provider = GetParam();
    EXPECT_EQ(0u, CallOnce(provider.fileName, "System_Agent_Detect")) << "no key";

    SetDword(provider.otherKey, STANDIN_AGENT_VALUE, 1);
    EXPECT_EQ(0u, CallOnce(provider.fileName, "System_Agent_Detect")) << "only the other provider's key";

    SetDword(provider.key, STANDIN_AGENT_VALUE, 1);
    EXPECT_EQ(1u, CallOnce(provider.fileName, "System_Agent_Detect"));
    SetDword(provider.key, STANDIN_AGENT_VALUE, 7);
    EXPECT_EQ(7u, CallOnce(provider.fileName, "System_Agent_Detect"));
    SetDword(provider.key, STANDIN_AGENT_VALUE, 0);
    SetDword(provider.otherKey, STANDIN_AGENT_VALUE, 1);
    EXPECT_EQ(0u, CallOnce(provider.fileName, "System_Agent_Detect"));

    // A value that is not a number counts as absent.
    SetText(provider.key, STANDIN_AGENT_VALUE, "1");
    EXPECT_EQ(0u, CallOnce(provider.fileName, "System_Agent_Detect"));
}

TEST_P(HotCornerProvider, CountsEachChangeUnderItsOwnKey)
{
    const Provider &provider = GetParam();
    EXPECT_EQ(-1, ReadDword(provider.key, STANDIN_CHANGED_VALUE));
    CallOnce(provider.fileName, "Screen_Saver_Changed");
    EXPECT_EQ(1, ReadDword(provider.key, STANDIN_CHANGED_VALUE));
    CallOnce(provider.fileName, "Screen_Saver_Changed");
    CallOnce(provider.fileName, "Screen_Saver_Changed");
    EXPECT_EQ(3, ReadDword(provider.key, STANDIN_CHANGED_VALUE));
    EXPECT_EQ(-1, ReadDword(provider.otherKey, STANDIN_CHANGED_VALUE));

    // A test may reset the count.
    SetDword(provider.key, STANDIN_CHANGED_VALUE, 0);
    CallOnce(provider.fileName, "Screen_Saver_Changed");
    EXPECT_EQ(1, ReadDword(provider.key, STANDIN_CHANGED_VALUE));
    // Telling it of a change does not change its answer.
    EXPECT_EQ(0u, CallOnce(provider.fileName, "System_Agent_Detect"));
}

INSTANTIATE_TEST_SUITE_P(Standins, HotCornerProvider, testing::Values(kSage, kCornix),
                         [](const testing::TestParamInfo<Provider> &info) {
                             return std::string(info.param.fileName == kSage.fileName ? "Sage" : "Cornix");
                         });

// What the tests of a missing provider rely on: moved aside, a provider
// cannot be loaded, and it is back afterwards.
TEST(HotCornerProviders, AreMissingWhileMovedAside)
{
    {
        ComponentsMissing missing({"Sage.DLL", "Cornix.dll"});
        ASSERT_TRUE(missing.Ready());
        EXPECT_EQ(nullptr, LoadLibraryA(InstalledComponent("Sage.DLL").c_str()));
        EXPECT_EQ(nullptr, LoadLibraryA("Cornix.dll"));
    }
    for (const char *fileName : {"Sage.DLL", "Cornix.dll"}) {
        HMODULE library = LoadLibraryA(InstalledComponent(fileName).c_str());
        EXPECT_NE(nullptr, library) << fileName;
        if (library)
            FreeLibrary(library);
    }
}

} // namespace
