// Registry helpers for the settings tests: a scope that puts a key back
// the way it was, and small readers and writers of single values.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

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

struct StoredValue {
    DWORD type = REG_NONE;
    std::string bytes;
};

// Removes the key with everything under it; true when it is gone.
bool DeleteKey(const std::string &key);
bool KeyExists(const std::string &key);
// Creates the key if needed.
void WriteValue(const std::string &key, const std::string &name, DWORD type, const std::string &bytes);
void WriteDword(const std::string &key, const std::string &name, DWORD value);
std::optional<StoredValue> ReadValue(const std::string &key, const std::string &name);
// The REG_DWORD of that name, when one of exactly 4 bytes is there.
std::optional<DWORD> ReadDword(const std::string &key, const std::string &name);
