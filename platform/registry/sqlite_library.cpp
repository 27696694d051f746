#include "platform/registry/sqlite_library.h"

#include <sqlite3.h>

#include <cstdarg>
#include <type_traits>

#include "platform/base/system_library.h"

namespace quendel::registry {
namespace {

constexpr const char* kFacility = "registry";

void* sqliteHandle() {
  static void* const handle =
      platform::openSystemLibrary(kSqliteLibraryFile, kSqliteLibraryVariable, kFacility, "no hive can be opened");
  return handle;
}

// What an entry returns when its function cannot be reached. Without the library no
// connection is ever opened, so only closing a null one (a no-op) answers success.
template <auto Function, class Result>
Result whenMissing() {
  if constexpr (std::is_same_v<Result, int>)
    return SQLITE_MISUSE;
  else
    return Result{};
}
template <>
int whenMissing<&::sqlite3_close_v2, int>() {
  return SQLITE_OK;
}

}  // namespace
}  // namespace quendel::registry

// The SQLite functions the registry calls, one X(result, name, (parameters), (arguments))
// each, with the prototypes (and, where it names them, the parameter names) of
// <sqlite3.h>. sqlite3_open_v2 and sqlite3_db_config are written out below.
// clang-format off
#define QUENDEL_SQLITE_FUNCTIONS(X) \
  X(int, sqlite3_bind_blob64, \
    (sqlite3_stmt* st, int i, const void* data, sqlite3_uint64 size, void (*destroy)(void*)), (st, i, data, size, destroy)) \
  X(int, sqlite3_bind_int64, (sqlite3_stmt* st, int i, sqlite3_int64 value), (st, i, value)) \
  X(int, sqlite3_bind_text, \
    (sqlite3_stmt* st, int i, const char* text, int size, void (*destroy)(void*)), (st, i, text, size, destroy)) \
  X(int, sqlite3_busy_handler, (sqlite3* db, int (*handler)(void*, int), void* context), (db, handler, context)) \
  X(int, sqlite3_changes, (sqlite3* db), (db)) \
  X(int, sqlite3_clear_bindings, (sqlite3_stmt* st), (st)) \
  X(int, sqlite3_close_v2, (sqlite3* db), (db)) \
  X(const void*, sqlite3_column_blob, (sqlite3_stmt* st, int iCol), (st, iCol)) \
  X(int, sqlite3_column_bytes, (sqlite3_stmt* st, int iCol), (st, iCol)) \
  X(sqlite3_int64, sqlite3_column_int64, (sqlite3_stmt* st, int iCol), (st, iCol)) \
  X(const unsigned char*, sqlite3_column_text, (sqlite3_stmt* st, int iCol), (st, iCol)) \
  X(int, sqlite3_exec, \
    (sqlite3* db, const char* sql, int (*callback)(void*, int, char**, char**), void* context, char** errmsg), \
    (db, sql, callback, context, errmsg)) \
  X(int, sqlite3_extended_result_codes, (sqlite3* db, int on), (db, on)) \
  X(int, sqlite3_file_control, (sqlite3* db, const char* name, int op, void* argument), (db, name, op, argument)) \
  X(int, sqlite3_finalize, (sqlite3_stmt* pStmt), (pStmt)) \
  X(sqlite3_int64, sqlite3_last_insert_rowid, (sqlite3* db), (db)) \
  X(int, sqlite3_prepare_v2, \
    (sqlite3* db, const char* zSql, int nByte, sqlite3_stmt** ppStmt, const char** pzTail), \
    (db, zSql, nByte, ppStmt, pzTail)) \
  X(int, sqlite3_prepare_v3, \
    (sqlite3* db, const char* zSql, int nByte, unsigned int prepFlags, sqlite3_stmt** ppStmt, const char** pzTail), \
    (db, zSql, nByte, prepFlags, ppStmt, pzTail)) \
  X(int, sqlite3_reset, (sqlite3_stmt* pStmt), (pStmt)) \
  X(int, sqlite3_step, (sqlite3_stmt* st), (st))
// clang-format on

#define QUENDEL_SQLITE_ENTRY(Result, name, parameters, arguments)                             \
  QUENDEL_SYSTEM_LIBRARY_ENTRY(quendel::registry::kFacility, quendel::registry::sqliteHandle, \
                               quendel::registry::whenMissing, Result, name, parameters, arguments)

QUENDEL_SQLITE_FUNCTIONS(QUENDEL_SQLITE_ENTRY)

// Without the library there is no connection: the caller sees a file that cannot be
// opened.
extern "C" __attribute__((visibility("hidden"))) int sqlite3_open_v2(const char* file, sqlite3** db, int flags,
                                                                     const char* vfs) {
  using namespace quendel::registry;
  static const auto real = reinterpret_cast<decltype(&::sqlite3_open_v2)>(
      quendel::platform::systemLibraryFunction(sqliteHandle(), kFacility, "sqlite3_open_v2"));
  if (!real) {
    *db = nullptr;
    return SQLITE_CANTOPEN;
  }
  return real(file, db, flags, vfs);
}

// The registry only sets the switches that take an int and an int* (SQLITE_DBCONFIG_*
// of that form); a variadic call cannot be passed on as it came.
extern "C" __attribute__((visibility("hidden"))) int sqlite3_db_config(sqlite3* db, int op, ...) {
  using namespace quendel::registry;
  static const auto real = reinterpret_cast<decltype(&::sqlite3_db_config)>(
      quendel::platform::systemLibraryFunction(sqliteHandle(), kFacility, "sqlite3_db_config"));
  if (!real) return SQLITE_MISUSE;
  va_list switches;
  va_start(switches, op);
  const int value = va_arg(switches, int);
  int* result = va_arg(switches, int*);
  va_end(switches);
  return real(db, op, value, result);
}
