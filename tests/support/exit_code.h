// An exit code as the driver's waits report one, so that a check reads
// EXPECT_EQ(program.WaitForExit(), Code(0)).
#pragma once
#include <windows.h>

#include <optional>

inline std::optional<DWORD> Code(DWORD value)
{
    return value;
}
