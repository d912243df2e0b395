// The password store behind PASSWORD.CPL and MPR.DLL, against the real
// registry and CryptoAPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "standins/password_store/password_store.h"
#include "standins/standin_registry.h"

namespace {

struct StoredValue {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
};

std::vector<StoredValue> ReadStoreValues()
{
    std::vector<StoredValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameSize = sizeof name;
        BYTE data[1024];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        values.push_back({name, type, std::vector<BYTE>(data, data + dataSize)});
    }
    RegCloseKey(key);
    return values;
}

std::vector<BYTE> ReadStoreValue(const char *name)
{
    for (const StoredValue &value : ReadStoreValues())
        if (value.name == name)
            return value.data;
    return {};
}

void WriteStoreValue(const char *name, const std::vector<BYTE> &data)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

bool Contains(const std::vector<BYTE> &haystack, const std::string &needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

class PasswordStore : public testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY); }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY); }
};

TEST_F(PasswordStore, WithoutAPasswordOnlyTheEmptyOneMatches)
{
    EXPECT_FALSE(PasswordIsSet());
    EXPECT_TRUE(PasswordMatches(""));
    EXPECT_FALSE(PasswordMatches("x"));
    EXPECT_FALSE(PasswordMatches(" "));

    // An existing key without the values is still no password.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &key, nullptr));
    RegCloseKey(key);
    EXPECT_FALSE(PasswordIsSet());
    EXPECT_TRUE(PasswordMatches(""));
    EXPECT_FALSE(PasswordMatches("x"));
}

TEST_F(PasswordStore, OnlyTheStoredPasswordMatches)
{
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword("Open Sesame"));
    EXPECT_TRUE(PasswordIsSet());
    EXPECT_TRUE(PasswordMatches("Open Sesame"));
    for (const char *wrong : {"", "open sesame", "Open Sesam", "Open Sesame ", "Open SesameOpen Sesame", "x"})
        EXPECT_FALSE(PasswordMatches(wrong)) << '"' << wrong << '"';

    // A new password replaces the old one.
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword("second"));
    EXPECT_TRUE(PasswordMatches("second"));
    EXPECT_FALSE(PasswordMatches("Open Sesame"));

    // Stored on purpose, the empty password is a password like any other.
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword(""));
    EXPECT_TRUE(PasswordIsSet());
    EXPECT_TRUE(PasswordMatches(""));
    EXPECT_FALSE(PasswordMatches("second"));
}

TEST_F(PasswordStore, KeepsOnlyASaltAndAHashNeverThePassword)
{
    const std::string password = "hunter2hunter2";
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword(password.c_str()));

    std::vector<StoredValue> values = ReadStoreValues();
    ASSERT_EQ(2u, values.size());
    for (const StoredValue &value : values) {
        EXPECT_TRUE(value.name == STANDIN_SALT_VALUE || value.name == STANDIN_HASH_VALUE) << value.name;
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), value.type) << value.name;
        EXPECT_FALSE(Contains(value.data, password)) << value.name;
        EXPECT_FALSE(Contains(value.data, "hunter2")) << value.name;
    }
    EXPECT_EQ(16u, ReadStoreValue(STANDIN_SALT_VALUE).size());
    EXPECT_EQ(32u, ReadStoreValue(STANDIN_HASH_VALUE).size());
}

TEST_F(PasswordStore, EachStoreTakesAFreshSalt)
{
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword("same"));
    std::vector<BYTE> firstSalt = ReadStoreValue(STANDIN_SALT_VALUE);
    std::vector<BYTE> firstHash = ReadStoreValue(STANDIN_HASH_VALUE);
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword("same"));
    std::vector<BYTE> secondSalt = ReadStoreValue(STANDIN_SALT_VALUE);
    std::vector<BYTE> secondHash = ReadStoreValue(STANDIN_HASH_VALUE);

    EXPECT_NE(firstSalt, secondSalt);
    EXPECT_NE(firstHash, secondHash);
    EXPECT_NE(std::vector<BYTE>(16, 0), secondSalt);
    EXPECT_TRUE(PasswordMatches("same"));

    // The hash depends on the salt: the first salt beside the second hash
    // matches nothing.
    WriteStoreValue(STANDIN_SALT_VALUE, firstSalt);
    EXPECT_FALSE(PasswordMatches("same"));
    WriteStoreValue(STANDIN_HASH_VALUE, firstHash);
    EXPECT_TRUE(PasswordMatches("same"));
}

TEST_F(PasswordStore, ADamagedStoreMatchesNothing)
{
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), StorePassword("kept"));
    std::vector<BYTE> hash = ReadStoreValue(STANDIN_HASH_VALUE);

    // A hash cut short.
    WriteStoreValue(STANDIN_HASH_VALUE, std::vector<BYTE>(hash.begin(), hash.begin() + 20));
    EXPECT_TRUE(PasswordIsSet());
    EXPECT_FALSE(PasswordMatches("kept"));
    EXPECT_FALSE(PasswordMatches(""));

    // A salt without its hash.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY, 0, KEY_SET_VALUE, &key));
    RegDeleteValueA(key, STANDIN_HASH_VALUE);
    RegCloseKey(key);
    EXPECT_TRUE(PasswordIsSet());
    EXPECT_FALSE(PasswordMatches("kept"));
    EXPECT_FALSE(PasswordMatches(""));
}

} // namespace
