// The Windows registry functions the system calls, in their ANSI forms, over SQLite.
//
// Same names, argument order, meaning and Win32 status codes as on Windows; every
// function returns ERROR_SUCCESS (0) or an error code and leaves its outputs untouched
// on failure (except the type and needed size that ERROR_MORE_DATA reports, below).
//
// Storage. One SQLite database per hive (hive_paths.h): HKEY_CURRENT_USER in
// $XDG_CONFIG_HOME/quendel/registry/user.db (mode 0600), HKEY_LOCAL_MACHINE, HKEY_USERS
// and HKEY_CURRENT_CONFIG in /var/lib/quendel/registry/{machine,users,config}.db;
// QUENDEL_REGISTRY_DIR moves them all. Every call is one transaction, so several
// processes may read and write at once (a writer waits up to 15 s for another's lock,
// then gets ERROR_SHARING_VIOLATION). A value whose RegSetValueExA returned 0 survives
// the writing process being killed at any moment (write-ahead log, synchronous=NORMAL;
// a power failure may drop the latest writes, never the file's integrity; RegFlushKey
// therefore has nothing left to do).
//
// HKEY_CLASSES_ROOT is the merged view of HKCU\Software\Classes over
// HKLM\Software\Classes: a value or key of the user's side hides the machine's one of
// the same name. Writes go to the user's side when the key already exists there, else
// to the machine's side when this process may write the machine hive (an administrator),
// else to the user's side (a normal user), which is how Windows places them.
// HKEY_PERFORMANCE_DATA and HKEY_DYN_DATA are not provided: ERROR_INVALID_HANDLE.
//
// Names. "\" separates the keys of a path; a single trailing "\" is allowed, any other
// empty component gives ERROR_BAD_PATHNAME. A key name longer than 255 characters gives
// ERROR_INVALID_PARAMETER when creating and ERROR_FILE_NOT_FOUND when opening; a value
// name longer than 16383 characters gives ERROR_INVALID_PARAMETER when setting. Names
// compare without regard to letter case (support/case_fold.h) and keep the case they were
// created with. The empty value name (or a null one) is the key's default value.
//
// Text. Names and REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ data pass through the ANSI code
// page (support/codepage.h); string data is stored as Windows stores it, UTF-16LE with
// whatever terminating zero the caller included, and every size these functions report
// counts ANSI bytes. Other types are stored byte for byte.
//
// Handles. A handle keeps the rights it was opened with: querying or enumerating values
// needs KEY_QUERY_VALUE, setting or deleting values KEY_SET_VALUE, enumerating subkeys
// KEY_ENUMERATE_SUB_KEYS, creating a subkey through a handle KEY_CREATE_SUB_KEY;
// otherwise ERROR_ACCESS_DENIED. Asking for write rights on a hive this process cannot
// write also gives ERROR_ACCESS_DENIED. A handle whose key was deleted (by anyone) gives
// ERROR_KEY_DELETED; a closed or made-up handle gives ERROR_INVALID_HANDLE. The
// predefined roots need no opening and closing them is a no-op.
//
// Hive files. A hive folder or file this process cannot write gives ERROR_ACCESS_DENIED
// for writes; reads go on working when the file is readable. A hive file that is not an
// intact hive (not a database, truncated, overwritten) gives ERROR_BADDB to every call
// and is never written to. A hive that does not exist yet reads as empty (ERROR_FILE_NOT_
// FOUND for any subkey); only a write creates it, with the folders on its way.
//
// Calls may come from any thread (one lock serialises them). Database connections are
// closed just before fork(), so parent and child each open their own afterwards.
#pragma once

#include <cstdint>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

typedef struct HKEYHandle* HKEY;
using REGSAM = DWORD;
using PHKEY = HKEY*;

// Status codes that only the registry uses.
constexpr LONG ERROR_BAD_PATHNAME = 161;
constexpr LONG ERROR_NOACCESS = 998;
constexpr LONG ERROR_UNSUPPORTED_TYPE = 1630;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000003u)))
#define HKEY_PERFORMANCE_DATA (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000004u)))
#define HKEY_CURRENT_CONFIG (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000005u)))
#define HKEY_DYN_DATA (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000006u)))

// The root handle for a root number as the library's 32-bit signed enumeration holds it
// (HKEY_CLASSES_ROOT is -2147483648 there). Other numbers give a handle that every
// function refuses with ERROR_INVALID_HANDLE.
HKEY rootFromLong(std::int32_t root);

namespace quendel::registry {
// A number for the hive of a predefined root (not HKEY_CLASSES_ROOT) that stays the same
// only while nothing changes that hive, in any process: what a caller derived from the
// hive under one number still holds while the number is the same. Read at memory speed
// while the hive's reads are cached (hive.h); a hive that cannot be told unchanged gives a
// new number at every call. ERROR_INVALID_HANDLE for another handle.
[[nodiscard]] LONG hiveChangeCount(HKEY root, std::uint64_t* count);

// Reads value lpValueName of the key hKey\lpSubKey as RegOpenKeyExA with KEY_QUERY_VALUE,
// RegQueryValueExA and RegCloseKey would in turn, with the same outputs and the status of
// the first that fails, but without a handle: while the hive's reads are cached (hive.h)
// one look-up answers it, and the hive is read only when it changed. lpData without
// lpcbData: ERROR_INVALID_PARAMETER.
[[nodiscard]] LONG queryValueAt(HKEY hKey, const char* lpSubKey, const char* lpValueName, DWORD* lpType, BYTE* lpData,
                                DWORD* lpcbData);
}  // namespace quendel::registry

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x20019;   // READ_CONTROL | QUERY | ENUMERATE | NOTIFY
constexpr REGSAM KEY_WRITE = 0x20006;  // READ_CONTROL | SET_VALUE | CREATE_SUB_KEY
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens hKey\lpSubKey (null or "" opens hKey itself again) with the rights samDesired.
// Missing key: ERROR_FILE_NOT_FOUND. ulOptions is ignored.
[[nodiscard]] LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);

// Opens hKey\lpSubKey, creating it and every missing key on its path ("" opens hKey's
// own key again; null, or a null phkResult: ERROR_INVALID_PARAMETER). Only
// REG_OPTION_NON_VOLATILE is supported (else ERROR_INVALID_PARAMETER); classes and
// security attributes are ignored. *lpdwDisposition (optional) receives
// REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
[[nodiscard]] LONG RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD Reserved, char* lpClass, DWORD dwOptions,
                                   REGSAM samDesired, const void* lpSecurityAttributes, PHKEY phkResult,
                                   DWORD* lpdwDisposition);

// Closes a handle. ERROR_INVALID_HANDLE for a handle that is not open.
[[nodiscard]] LONG RegCloseKey(HKEY hKey);

// Reads a value. lpType, lpData and lpcbData are optional; with lpData null, *lpcbData
// receives the size the data needs. A buffer smaller than the data gives ERROR_MORE_DATA
// with the needed size in *lpcbData and the buffer untouched. String data is converted to
// the ANSI code page (and its size counts ANSI bytes). Missing value: ERROR_FILE_NOT_FOUND.
[[nodiscard]] LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, DWORD* lpReserved, DWORD* lpType, BYTE* lpData,
                                    DWORD* lpcbData);

// Writes a value of dwType with cbData bytes from lpData (lpData null with cbData > 0:
// ERROR_NOACCESS). String data is converted from the ANSI code page as given, the
// terminating zero included when the count includes it.
[[nodiscard]] LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                                  DWORD cbData);

// Deletes a value. Missing value: ERROR_FILE_NOT_FOUND.
[[nodiscard]] LONG RegDeleteValueA(HKEY hKey, const char* lpValueName);

// Deletes hKey\lpSubKey ("" deletes hKey's own key) with its values. A key that has
// subkeys is not deleted: ERROR_ACCESS_DENIED, as Windows answers. A root cannot be
// deleted (ERROR_ACCESS_DENIED). lpSubKey null: ERROR_INVALID_PARAMETER.
[[nodiscard]] LONG RegDeleteKeyA(HKEY hKey, const char* lpSubKey);

// Facts about an open key; every output is optional. The class is always empty; the
// longest names count ANSI bytes without the terminating zero and the longest data
// counts bytes as RegQueryValueExA reports them. Needs KEY_QUERY_VALUE.
[[nodiscard]] LONG RegQueryInfoKeyA(HKEY hKey, char* lpClass, DWORD* lpcchClass, DWORD* lpReserved, DWORD* lpcSubKeys,
                                    DWORD* lpcbMaxSubKeyLen, DWORD* lpcbMaxClassLen, DWORD* lpcValues,
                                    DWORD* lpcbMaxValueNameLen, DWORD* lpcbMaxValueLen, DWORD* lpcbSecurityDescriptor,
                                    FILETIME* lpftLastWriteTime);

// Enumeration by index. A handle keeps the list (of subkeys, and of value names) that
// RegEnumKey(Ex)A and RegEnumValueA walk, so that index 0, 1, 2 ... costs linear time in
// all. The list is made afresh at index 0, and at any index when a hive it comes from
// changed since it was made (a commit by this or another process, the hive file
// replaced); it is dropped when an index past its end gives ERROR_NO_MORE_ITEMS and when
// the handle is closed. So every call answers from the key as it is at that moment, as
// if nothing were kept: when the key changes during an enumeration, later indexes count
// in the changed list (an entry may then be skipped or seen twice, as on Windows), and
// never reach past its end. A value's type and data are read at the call.
//
// The name of subkey number dwIndex, subkeys sorted by name without regard to case.
// cchName counts the buffer's bytes, terminating zero included; too small:
// ERROR_MORE_DATA. Past the last subkey: ERROR_NO_MORE_ITEMS.
[[nodiscard]] LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD cchName);

// As RegEnumKeyA; *lpcchName gives the buffer size and receives the name's length
// without the zero. The class is empty; lpftLastWriteTime is optional.
[[nodiscard]] LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, DWORD* lpcchName, DWORD* lpReserved,
                                 char* lpClass, DWORD* lpcchClass, FILETIME* lpftLastWriteTime);

// Value number dwIndex, values in the order they were first created. The name works as
// in RegEnumKeyExA; lpType, lpData and lpcbData work as in RegQueryValueExA (a data
// buffer that is too small gives ERROR_MORE_DATA with the needed size in *lpcbData).
[[nodiscard]] LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, DWORD* lpcchValueName, DWORD* lpReserved,
                                 DWORD* lpType, BYTE* lpData, DWORD* lpcbData);

// Nothing to do: every successful write is already in the hive's log (see above).
[[nodiscard]] LONG RegFlushKey(HKEY hKey);

// Deletes hKey\pszSubKey only when it has neither subkeys nor values; otherwise
// ERROR_ACCESS_DENIED and nothing changes (the status Windows gives for deleting a key
// that still has subkeys).
[[nodiscard]] LONG SHDeleteEmptyKeyA(HKEY hKey, const char* pszSubKey);

// Deletes hKey\pszSubKey with all its subkeys and values, in one transaction. A null or
// empty pszSubKey deletes hKey's own key; for a predefined root that would wipe a whole
// hive, so it is refused with ERROR_ACCESS_DENIED.
[[nodiscard]] LONG SHDeleteKeyA(HKEY hKey, const char* pszSubKey);

QUENDEL_EXPORT_END
