// SQLite, loaded when the registry first opens a hive.
//
// Most runs of a console program read a setting or two from hives that do not exist yet,
// or none at all, and should not map SQLite for it. So the platform library does not link
// SQLite: it defines each SQLite function the registry calls (sqlite_library.cpp) as an
// entry that loads libsqlite3 once, finds the real function and calls it
// (platform/base/system_library.h); the registry's code writes plain SQLite calls. The
// entries are hidden, so a client that links SQLite itself keeps its own calls, and both
// end up in the one loaded copy.
//
// Failure: when libsqlite3 cannot be loaded (one debug line names the file and the
// loader's message), sqlite3_open_v2 fails with SQLITE_CANTOPEN and no connection, so
// every hive reads as one that cannot be opened (ERROR_ACCESS_DENIED); no key or value
// is stored (a new hive's file stays empty).
//
// QUENDEL_SQLITE_LIBRARY names another file to load (tests use it to make the load
// fail); it is ignored in set-user-ID programs.
#pragma once

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::registry {

constexpr const char* kSqliteLibraryFile = "libsqlite3.so.0";
constexpr const char* kSqliteLibraryVariable = "QUENDEL_SQLITE_LIBRARY";

}  // namespace quendel::registry

QUENDEL_EXPORT_END
