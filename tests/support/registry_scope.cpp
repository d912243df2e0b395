#include "tests/support/registry_scope.h"

#include <shlwapi.h>

#include <cstring>
#include <utility>
#include <vector>

namespace {

// Where saved keys wait; one subkey per saved key.
const char TestsRoot[] = "Software\\Dusklit Tests";
const char BackupRoot[] = "Software\\Dusklit Tests\\Saved keys";

std::string BackupNameFor(const std::string &key)
{
    std::string name = BackupRoot;
    name += '\\';
    for (char c : key)
        name += c == '\\' ? '/' : c;
    return name;
}

// Copies the contents of HKCU\from into HKCU\to, creating to.
bool CopyKey(const std::string &from, const std::string &to)
{
    HKEY target = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool copied = SHCopyKeyA(HKEY_CURRENT_USER, from.c_str(), target, 0) == ERROR_SUCCESS;
    RegCloseKey(target);
    return copied;
}

// Removes the key when it holds neither values nor subkeys.
void DeleteKeyIfEmpty(const std::string &key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1, values = 1;
    const bool empty = RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                        nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subkeys == 0 && values == 0;
    RegCloseKey(handle);
    if (empty)
        RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

} // namespace

SavedKey::SavedKey(std::string key) : key_(std::move(key)), backup_(BackupNameFor(key_))
{
    DeleteKey(backup_);
    existed_ = KeyExists(key_);
    if (existed_)
        CopyKey(key_, backup_);
}

SavedKey::~SavedKey()
{
    DeleteKey(key_);
    if (existed_)
        CopyKey(backup_, key_);
    DeleteKey(backup_);
    // The parents go once no other saved key waits under them.
    RegDeleteKeyA(HKEY_CURRENT_USER, BackupRoot);
    RegDeleteKeyA(HKEY_CURRENT_USER, TestsRoot);
}

RegistryValueScope::RegistryValueScope(std::string key, std::string name, std::optional<DWORD> value)
    : key_(std::move(key)), name_(std::move(name))
{
    KeepOldValue();
    if (value)
        written_ = Write(REG_DWORD, reinterpret_cast<const BYTE *>(&*value), sizeof *value);
    else
        written_ = Delete();
}

RegistryValueScope::RegistryValueScope(std::string key, std::string name, const RegistryText &value)
    : key_(std::move(key)), name_(std::move(name))
{
    KeepOldValue();
    written_ = Write(REG_SZ, reinterpret_cast<const BYTE *>(value.text.c_str()),
                     static_cast<DWORD>(value.text.size() + 1));
}

RegistryValueScope::RegistryValueScope(std::string key, std::string name, DWORD type, const std::string &bytes)
    : key_(std::move(key)), name_(std::move(name))
{
    KeepOldValue();
    written_ = Write(type, reinterpret_cast<const BYTE *>(bytes.data()), static_cast<DWORD>(bytes.size()));
}

RegistryValueScope::~RegistryValueScope()
{
    if (hadValue_)
        Write(oldType_, oldData_.data(), static_cast<DWORD>(oldData_.size()));
    else
        Delete();
    if (!keyExisted_)
        DeleteKeyIfEmpty(key_);
}

void RegistryValueScope::KeepOldValue()
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return;
    keyExisted_ = true;
    DWORD size = 0;
    if (RegQueryValueExA(handle, name_.c_str(), nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
        oldData_.resize(size);
        hadValue_ = RegQueryValueExA(handle, name_.c_str(), nullptr, &oldType_,
                                     oldData_.empty() ? nullptr : oldData_.data(), &size) == ERROR_SUCCESS;
        oldData_.resize(size);
    }
    RegCloseKey(handle);
}

bool RegistryValueScope::Write(DWORD type, const BYTE *data, DWORD size)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool done = RegSetValueExA(handle, name_.c_str(), 0, type, data, size) == ERROR_SUCCESS;
    RegCloseKey(handle);
    return done;
}

bool RegistryValueScope::Delete()
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS)
        return true; // no key, so no value
    const LONG result = RegDeleteValueA(handle, name_.c_str());
    RegCloseKey(handle);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool DeleteKey(const std::string &key)
{
    SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    return !KeyExists(key);
}

bool KeyExists(const std::string &key, HKEY root)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

void WriteValue(const std::string &key, const std::string &name, DWORD type, const std::string &bytes)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(handle, name.c_str(), 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(handle);
}

void WriteDword(const std::string &key, const std::string &name, DWORD value)
{
    WriteValue(key, name, REG_DWORD, std::string(reinterpret_cast<const char *>(&value), sizeof value));
}

std::optional<StoredValue> ReadValue(const std::string &key, const std::string &name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value;
    DWORD size = 0;
    std::optional<StoredValue> result;
    if (RegQueryValueExA(handle, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<char> bytes(size + 1);
        if (RegQueryValueExA(handle, name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE *>(bytes.data()),
                             &size) == ERROR_SUCCESS) {
            value.bytes.assign(bytes.data(), size);
            result = value;
        }
    }
    RegCloseKey(handle);
    return result;
}

std::optional<DWORD> ReadDword(const std::string &key, const std::string &name)
{
    std::optional<StoredValue> value = ReadValue(key, name);
    if (!value || value->type != REG_DWORD || value->bytes.size() != sizeof(DWORD))
        return std::nullopt;
    DWORD number = 0;
    std::memcpy(&number, value->bytes.data(), sizeof number);
    return number;
}
