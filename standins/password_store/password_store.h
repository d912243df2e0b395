// The screen-saver password shared by PASSWORD.CPL (which checks it) and
// MPR.DLL (which changes it). Only a salted, iterated SHA-256 of it is
// kept, under STANDIN_PASSWORD_KEY of HKEY_CURRENT_USER.
#pragma once
#include <windows.h>

// Whether a password has been stored at all. Without one, only the empty
// password matches.
bool PasswordIsSet();

// TRUE when password is the stored one (compared in constant time). A
// store that cannot be read, or holds values of the wrong size, matches
// nothing.
bool PasswordMatches(const char *password);

// Replaces the stored password with a fresh salt and its hash; answers
// ERROR_SUCCESS or the failing call's error code.
DWORD StorePassword(const char *password);
