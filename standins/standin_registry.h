// Where the stand-in system components keep their state, under
// HKEY_CURRENT_USER. Tests read and write these values to set the
// components' answers and to see what they were told.
#pragma once

// One key per hot-corner provider ("Sage" or "Cornix"), holding:
//   "System Agent"  REG_DWORD  what System_Agent_Detect answers (0 if absent)
//   "Changed"       REG_DWORD  how often Screen_Saver_Changed was called
#define STANDIN_SAGE_KEY     "Software\\Dusklit Stand-ins\\Sage"
#define STANDIN_CORNIX_KEY   "Software\\Dusklit Stand-ins\\Cornix"
#define STANDIN_AGENT_VALUE   "System Agent"
#define STANDIN_CHANGED_VALUE "Changed"

// The screen-saver password of PASSWORD.CPL and MPR.DLL, never in clear:
//   "Salt"  REG_BINARY  random bytes
//   "Hash"  REG_BINARY  SHA-256 over salt and password, iterated
// No values: no password has been set, and only an empty one is accepted.
#define STANDIN_PASSWORD_KEY  "Software\\Dusklit Stand-ins\\Password"
#define STANDIN_SALT_VALUE    "Salt"
#define STANDIN_HASH_VALUE    "Hash"

// The stand-ins' dialogs, for tests that answer them.
#define STANDIN_VERIFY_CAPTION "Screen Saver Password"
#define STANDIN_CHANGE_CAPTION "Change Screen Saver Password"
#define STANDIN_IDC_PASSWORD     1001 // verify: the password
#define STANDIN_IDC_OLD_PASSWORD 1002 // change: the current password
#define STANDIN_IDC_NEW_PASSWORD 1003 // change: the new one
#define STANDIN_IDC_CONFIRM      1004 // change: the new one again
