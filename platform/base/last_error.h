// The calling thread's last-error value, as the Win32 functions of the port set it.
//
//   HANDLE m = CreateMutexA(nullptr, FALSE, "name");
//   if (GetLastError() == ERROR_ALREADY_EXISTS) ...
//
// Each thread has its own value; it starts at 0 (ERROR_SUCCESS). A function that
// documents a last-error value sets it on every call, success included. This is the
// common ground of every platform facility: any of them may include it.
#pragma once

#include "support/win_types.h"

#define QUENDEL_BASE_API __attribute__((visibility("default")))

// The BOOL values, as the Windows headers define them.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

QUENDEL_BASE_API DWORD GetLastError();
QUENDEL_BASE_API void SetLastError(DWORD error);
