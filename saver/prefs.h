// The process-wide preferences record and the calls that copy it in and out.
#pragma once
#include <cstddef>

#include "dusklit.h"

static_assert(sizeof(ScrPrefs) == SCRPREFS_SIZE, "ScrPrefs must keep its 556-byte layout");
static_assert(offsetof(ScrPrefs, NoTimers) == 28, "switches come first");
static_assert(offsetof(ScrPrefs, Text1) == 32 && offsetof(ScrPrefs, Text2) == 288, "texts follow the switches");
static_assert(offsetof(ScrPrefs, AlwaysRequirePassword) == 544, "password policy follows the texts");
static_assert(offsetof(ScrPrefs, ActiveConfigPassword) == 552, "ActiveConfigPassword ends the record");

// The preferences every framework Part reads. Zeros until ScrDefaultPrefs
// runs, which happens no later than the first framework call. Its Size
// field is not maintained.
extern ScrPrefs CurrentPrefs;

// Installs the defaults, once per process: later calls leave whatever
// ScrSetPrefs installed.
void ScrDefaultPrefs();

// Copies every field but Size, each text at most 255 characters and its
// zero, even when the source fills its buffer unterminated.
void ScrCopyPrefs(ScrPrefs &to, const ScrPrefs &from);
