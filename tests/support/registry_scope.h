// Registry helpers for tests, all under HKEY_CURRENT_USER: scopes that put
// a key or a single value back the way it was, and small readers and
// writers of single values.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The per-user key the settings live under.
constexpr const char *ScreenSaversKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";

// Copies a HKEY_CURRENT_USER key aside while it lives and then puts it back
// (or removes it, when it did not exist), so the tests may change or delete
// it freely.
class SavedKey {
public:
    explicit SavedKey(std::string key);
    ~SavedKey();
    SavedKey(const SavedKey &) = delete;
    SavedKey &operator=(const SavedKey &) = delete;

private:
    std::string key_;
    std::string backup_;
    bool existed_ = false;
};

// A REG_SZ value for RegistryValueScope; the text is stored with its
// terminating zero.
struct RegistryText {
    std::string text;
};

// Sets a REG_DWORD value, a REG_SZ one or one of any type and bytes, or
// with no value deletes it, for the life of the object; then puts back
// what was there, down to removing the key again when it made it and left
// it empty.
class RegistryValueScope {
public:
    RegistryValueScope(std::string key, std::string name, std::optional<DWORD> value);
    RegistryValueScope(std::string key, std::string name, const RegistryText &value);
    RegistryValueScope(std::string key, std::string name, DWORD type, const std::string &bytes);
    ~RegistryValueScope();
    RegistryValueScope(const RegistryValueScope &) = delete;
    RegistryValueScope &operator=(const RegistryValueScope &) = delete;

    // Whether the value is now as asked.
    bool Written() const { return written_; }

private:
    void KeepOldValue();
    bool Write(DWORD type, const BYTE *data, DWORD size);
    bool Delete();

    std::string key_, name_;
    bool keyExisted_ = false;
    bool hadValue_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> oldData_;
    bool written_ = false;
};

struct StoredValue {
    DWORD type = REG_NONE;
    std::string bytes;
};

// Removes the key with everything under it; true when it is gone.
bool DeleteKey(const std::string &key);
// Under HKEY_CURRENT_USER unless another root is named.
bool KeyExists(const std::string &key, HKEY root = HKEY_CURRENT_USER);
// Creates the key if needed.
void WriteValue(const std::string &key, const std::string &name, DWORD type, const std::string &bytes);
void WriteDword(const std::string &key, const std::string &name, DWORD value);
std::optional<StoredValue> ReadValue(const std::string &key, const std::string &name);
// The REG_DWORD of that name, when one of exactly 4 bytes is there.
std::optional<DWORD> ReadDword(const std::string &key, const std::string &name);
