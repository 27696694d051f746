// CloseHandle: closes a kernel object handle of any kind the port makes (named mutexes
// of platform/sync, module snapshots of the support library).
//
//   HANDLE snapshot = asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
//   ...
//   CloseHandle(snapshot);
//
// TRUE, or FALSE with ERROR_INVALID_HANDLE for a closed, made-up or pseudo handle
// (nullptr, INVALID_HANDLE_VALUE). Each kind releases what its object holds when its
// last handle closes (support/kernel_handles.h).
#pragma once

#include "platform/base/last_error.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

[[nodiscard]] BOOL CloseHandle(HANDLE handle);

QUENDEL_EXPORT_END
