#include "standins/password_store/password_store.h"

#include <wincrypt.h>

#include <cstring>

#include "standins/standin_registry.h"

// The headers offer SHA-256 only to programs that require Windows XP SP3;
// the AES provider has it there and everywhere after.
#ifndef CALG_SHA_256
#define CALG_SHA_256 (ALG_CLASS_HASH | ALG_TYPE_ANY | 12)
#endif

namespace {

constexpr DWORD kSaltBytes = 16;
constexpr DWORD kHashBytes = 32; // SHA-256
// Enough rounds to make guessing from a copied registry costly, few enough
// that a check stays quick on a slow machine.
constexpr int kRounds = 1000;

struct Digest {
    BYTE bytes[kHashBytes];
};

// Clears secrets in a way the compiler may not drop as a dead store.
void Wipe(void *data, size_t size)
{
    volatile BYTE *p = static_cast<volatile BYTE *>(data);
    while (size--)
        *p++ = 0;
}

// A CryptoAPI context that can hash SHA-256 and make random bytes.
class CryptoContext {
public:
    CryptoContext()
    {
        if (!CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
            provider_ = 0;
    }
    ~CryptoContext()
    {
        if (provider_)
            CryptReleaseContext(provider_, 0);
    }
    CryptoContext(const CryptoContext &) = delete;
    CryptoContext &operator=(const CryptoContext &) = delete;

    bool Ready() const { return provider_ != 0; }

    bool Random(BYTE *out, DWORD size) const { return CryptGenRandom(provider_, size, out) != FALSE; }

    // SHA-256 over first then second.
    bool Sha256(const BYTE *first, DWORD firstSize, const BYTE *second, DWORD secondSize, Digest *out) const
    {
        HCRYPTHASH hash = 0;
        if (!CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &hash))
            return false;
        DWORD size = kHashBytes;
        bool ok = CryptHashData(hash, first, firstSize, 0) && CryptHashData(hash, second, secondSize, 0) &&
                  CryptGetHashParam(hash, HP_HASHVAL, out->bytes, &size, 0) && size == kHashBytes;
        CryptDestroyHash(hash);
        return ok;
    }

private:
    HCRYPTPROV provider_ = 0;
};

// The stretched hash: H(salt, password), then kRounds - 1 times
// H(previous, password).
bool HashPassword(const CryptoContext &crypto, const BYTE *salt, const char *password, Digest *out)
{
    const BYTE *text = reinterpret_cast<const BYTE *>(password);
    DWORD length = static_cast<DWORD>(std::strlen(password));
    if (!crypto.Sha256(salt, kSaltBytes, text, length, out))
        return false;
    for (int round = 1; round < kRounds; ++round) {
        Digest previous = *out;
        bool ok = crypto.Sha256(previous.bytes, kHashBytes, text, length, out);
        Wipe(&previous, sizeof previous);
        if (!ok)
            return false;
    }
    return true;
}

bool EqualInConstantTime(const BYTE *a, const BYTE *b, DWORD size)
{
    BYTE difference = 0;
    for (DWORD i = 0; i < size; ++i)
        difference |= static_cast<BYTE>(a[i] ^ b[i]);
    return difference == 0;
}

enum class Stored { None, Present, Unreadable };

// Reads salt and hash. Both missing (or no key) is None; anything else
// that is not a salt and a hash of the right sizes is Unreadable.
Stored ReadStored(BYTE *salt, Digest *hash)
{
    HKEY key = nullptr;
    LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY, 0, KEY_QUERY_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return Stored::None;
    if (opened != ERROR_SUCCESS)
        return Stored::Unreadable;
    DWORD saltType = 0, hashType = 0;
    DWORD saltSize = kSaltBytes, hashSize = kHashBytes;
    LONG saltRead = RegQueryValueExA(key, STANDIN_SALT_VALUE, nullptr, &saltType, salt, &saltSize);
    LONG hashRead = RegQueryValueExA(key, STANDIN_HASH_VALUE, nullptr, &hashType, hash->bytes, &hashSize);
    RegCloseKey(key);
    if (saltRead == ERROR_FILE_NOT_FOUND && hashRead == ERROR_FILE_NOT_FOUND)
        return Stored::None;
    bool whole = saltRead == ERROR_SUCCESS && hashRead == ERROR_SUCCESS && saltType == REG_BINARY &&
                 hashType == REG_BINARY && saltSize == kSaltBytes && hashSize == kHashBytes;
    return whole ? Stored::Present : Stored::Unreadable;
}

} // namespace

bool PasswordIsSet()
{
    BYTE salt[kSaltBytes];
    Digest hash;
    return ReadStored(salt, &hash) != Stored::None;
}

bool PasswordMatches(const char *password)
{
    BYTE salt[kSaltBytes];
    Digest stored;
    switch (ReadStored(salt, &stored)) {
    case Stored::None:
        return password[0] == '\0';
    case Stored::Unreadable:
        return false;
    case Stored::Present:
        break;
    }
    CryptoContext crypto;
    Digest typed;
    bool matches = crypto.Ready() && HashPassword(crypto, salt, password, &typed) &&
                   EqualInConstantTime(typed.bytes, stored.bytes, kHashBytes);
    Wipe(&typed, sizeof typed);
    return matches;
}

DWORD StorePassword(const char *password)
{
    CryptoContext crypto;
    BYTE salt[kSaltBytes];
    Digest hash;
    if (!crypto.Ready() || !crypto.Random(salt, kSaltBytes) || !HashPassword(crypto, salt, password, &hash)) {
        DWORD error = GetLastError();
        return error ? error : ERROR_GEN_FAILURE;
    }

    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, STANDIN_PASSWORD_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &key, nullptr);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(key, STANDIN_HASH_VALUE, 0, REG_BINARY, hash.bytes, kHashBytes);
        if (result == ERROR_SUCCESS)
            result = RegSetValueExA(key, STANDIN_SALT_VALUE, 0, REG_BINARY, salt, kSaltBytes);
        RegCloseKey(key);
    }
    Wipe(&hash, sizeof hash);
    return static_cast<DWORD>(result);
}
