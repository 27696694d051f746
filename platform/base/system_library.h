// A system library the platform calls but does not link, loaded the first time one of
// its functions is called, so that a run which never calls it never maps it.
//
//   void* sqliteHandle() {
//     static void* const handle = openSystemLibrary("libsqlite3.so.0", "QUENDEL_SQLITE_LIBRARY",
//                                                   "registry", "no hives");
//     return handle;
//   }
//   QUENDEL_SYSTEM_LIBRARY_ENTRY(sqliteHandle, missingSqlite, int, sqlite3_changes, (sqlite3* db), (db))
//
// An entry has the library's own name and prototype (a definition that differs from the
// library's header does not compile), finds the real function once and calls it. Entries
// are hidden in the platform library: a client that links the library itself keeps its
// own calls, and both end up in the one loaded copy.
//
// Failure: when the library cannot be loaded, or lacks a function, one debug line
// (asOutputDebugString, "<facility>: ...") tells why and what the process goes without;
// the entry then returns what its facility's `missing<&function, Result>()` chooses,
// which answers as the library does when it cannot do the work.
// The variable, when set, names another file to load (the tests use it to make the load
// fail); it is read with secure_getenv, so a set-user-ID program ignores it.
#pragma once

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform {

// The library `file` (or the file `variable` names), opened once for the life of the
// process (RTLD_NOW | RTLD_LOCAL); null when it cannot be opened.
void* openSystemLibrary(const char* file, const char* variable, const char* facility, const char* without);
// The function `name` of an opened library; null (with its debug line) when the library
// is not open or lacks it.
void* systemLibraryFunction(void* handle, const char* facility, const char* name);

}  // namespace quendel::platform

// `missing` names a function template; a template name cannot be put in parentheses.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define QUENDEL_SYSTEM_LIBRARY_ENTRY(facility, handle, missing, Result, name, parameters, arguments)                \
  extern "C" __attribute__((visibility("hidden"))) Result name parameters {                                         \
    static const auto real =                                                                                        \
        reinterpret_cast<decltype(&::name)>(::quendel::platform::systemLibraryFunction(handle(), facility, #name)); \
    if (!real) return missing<&::name, Result>();                                                                   \
    return real arguments;                                                                                          \
  }
// NOLINTEND(bugprone-macro-parentheses)

QUENDEL_EXPORT_END
