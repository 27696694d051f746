// The process-status functions for the modules loaded into this process (PSAPI).
//
//   HMODULE modules[2048];
//   DWORD needed = 0;
//   if (EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &needed)) {
//     DWORD count = needed / sizeof(HMODULE);          // byte counts: 8 per handle here
//     char path[1025];
//     GetModuleFileNameExA(GetCurrentProcess(), modules[0], path, 1024);   // the executable
//   }
//
// Over dl_iterate_phdr: the loaded ELF objects in the loader's order, the executable
// first; the vDSO (no file) is not listed. A module's handle is its load address: the
// address of its lowest loadable segment, page-aligned (the handle GetModuleHandleA gives,
// the lowest address /proc/self/maps shows for its file). Byte counts of handle arrays are
// in units of sizeof(HMODULE), 8 in this 64-bit port.
//
// Only this process can be asked, through the pseudo-handle of GetCurrentProcess
// ((HANDLE)-1); any other process handle fails with ERROR_INVALID_HANDLE.
// - EnumProcessModules fills at most cb / 8 handles, sets *needed to 8 x the number of
//   modules (more than cb when the array is too small) and returns TRUE; FALSE with
//   ERROR_INVALID_PARAMETER when needed is null, or modules is null and cb is not 0.
// - GetModuleFileNameExA / GetModuleBaseNameA copy the full path (the real file, as the
//   process's map names it) / the file name (nullptr module: the executable) in the ANSI
//   code page into the buffer, cut to size − 1 bytes
//   (never inside a character), zero-terminated, and return the bytes copied; 0 with
//   ERROR_INVALID_HANDLE for a handle that names no loaded module, ERROR_INVALID_PARAMETER
//   for no buffer or size 0.
// - GetModuleInformation fills MODULEINFO: lpBaseOfDll = the handle, SizeOfImage = the span
//   of the loadable segments, EntryPoint = the entry address of its ELF header (nullptr
//   when none); FALSE with ERROR_INVALID_HANDLE for an unknown module,
//   ERROR_INSUFFICIENT_BUFFER when cb < sizeof(MODULEINFO), ERROR_ARITHMETIC_OVERFLOW for
//   an image beyond 4 GiB.
#pragma once

#include "platform/base/last_error.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

// The 64-bit layout: pointer-sized base and entry, a 32-bit size.
struct MODULEINFO {
  void* lpBaseOfDll;
  DWORD SizeOfImage;
  void* EntryPoint;
};
static_assert(sizeof(MODULEINFO) == 24);

constexpr LONG ERROR_ARITHMETIC_OVERFLOW = 534;

// The bytes of one handle in EnumProcessModules' byte counts (8 here).
constexpr DWORD kModuleHandleBytes = sizeof(HMODULE);  // NOLINT(bugprone-sizeof-expression): the handle itself
static_assert(kModuleHandleBytes == 8);

// The pseudo-handle that stands for this process, (HANDLE)-1; it needs no closing.
HANDLE GetCurrentProcess();
DWORD GetCurrentProcessId();
[[nodiscard]] BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD cb, DWORD* needed);
[[nodiscard]] DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, char* fileName, DWORD size);
[[nodiscard]] DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, char* baseName, DWORD size);
[[nodiscard]] BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* info, DWORD cb);

QUENDEL_EXPORT_END
