// The calling thread's last-error value, as the Win32 functions of the port set it.
//
//   HANDLE m = CreateMutexA(nullptr, FALSE, "name");
//   if (GetLastError() == ERROR_ALREADY_EXISTS) ...
//
// Each thread has its own value; it starts at 0 (ERROR_SUCCESS). A function that
// documents a last-error value sets it on every call, success included. This is the
// common ground of every platform facility: any of them may include it.
#pragma once

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

// The BOOL values, as the Windows headers define them.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

DWORD GetLastError();
void SetLastError(DWORD error);

QUENDEL_EXPORT_END
