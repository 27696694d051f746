// Named mutexes of the default namespace, for telling whether a named object exists:
// CreateMutexA and CloseHandle with the Win32 meaning and last-error values.
//
//   HANDLE m = CreateMutexA(nullptr, FALSE, "MyApp");
//   bool first = m && GetLastError() != ERROR_ALREADY_EXISTS;
//   ...
//   CloseHandle(m);   // the process's claim ends with its last handle (or with the process)
//
// A named mutex is a lock file in the machine-wide folder (mutex_names.h); every open
// handle holds a shared flock on it, so the mutex exists exactly while some handle in
// some process is open, and a process that dies, even by SIGKILL, releases its claim.
// Creating and opening are serialised through a lock on the folder, so two processes
// that race never both become the creator.
//
// CreateMutexA(attributes, initialOwner, name): attributes and initialOwner are accepted
// and ignored (only existence is observed: there is no wait function). Returns a new
// handle and sets the last error to
//   0                     the mutex did not exist and was created;
//   ERROR_ALREADY_EXISTS  it existed (in this or another process): the handle opens it.
// Returns nullptr and sets
//   ERROR_ACCESS_DENIED   its file belongs to someone who does not let this user open
//                         it, or the name's place is taken by something that is not a
//                         lock file (a symbolic link, a folder, a pipe);
//   ERROR_PATH_NOT_FOUND  the folder is missing and cannot be made, or is not a folder;
//   other Win32 codes     for other system failures.
// A null or empty name makes an unnamed mutex: always new, last error 0.
// Names are case-sensitive byte strings of any length and content. The folder is made
// with mode 1777 (shared, sticky) when missing; lock files get mode 0644, so other users
// see the mutex exists. Handles are not inherited by programs started with exec.
//
// CloseHandle(handle) (platform/base/handles.h) closes a handle of CreateMutexA; the
// last holder removes the lock file when it may.
#pragma once

#include "platform/base/handles.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

using HANDLE = void*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

[[nodiscard]] HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, const char* name);

QUENDEL_EXPORT_END
