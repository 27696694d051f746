// The family's first support library, libquendelsupport0100.so: the "as" functions.
//
// Each exported function returns a status and its result through a final out-parameter
// (E_POINTER when that pointer is null, E_INVALIDARG for a bad argument; the output is
// untouched on failure). Beside each one stands an inline wrapper of the same name
// without the out-parameter that returns the result and raises the run-time error for a
// failing status, so that calling code reads like its algorithm:
//
//   BStr s = asTrimEx(text);                  // raises on failure
//   HRESULT hr = asTrimEx(text, &s);          // the raw call
//
// Number and date forms are the port's own and independent of the locale:
// asFormatLong "-1234", asFormatInt64 "1235" (rounded, half to even), asFormatDouble
// "0.123457" (at most six decimals, trailing zeros dropped, "0" for zero),
// asFormatByteSizeEx "532 bytes", "1.30 KB", "2.50 MB" (three significant digits).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/export.h"
#include "support/runtime_error.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

struct SYSTEMTIME {
  WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

// The 64-byte memory record of asGlobalMemoryStatus: memory load (percent) at 0,
// byte counts as Doubles: physical total 16, physical free 24, page file total 32,
// page file free 40, virtual total 48, virtual free 56.
struct QuendelMemoryStatus {
  LONG memoryLoad;
  LONG reserved[3];
  double totalPhys, availPhys, totalPageFile, availPageFile, totalVirtual, availVirtual;
};
static_assert(sizeof(QuendelMemoryStatus) == 64);

// --- Text and numbers ---
[[nodiscard]] HRESULT asTrimEx(const quendel::BStr& s, quendel::BStr* out);
[[nodiscard]] HRESULT asTrimCRLF(const quendel::BStr& s, quendel::BStr* out);
[[nodiscard]] HRESULT asCutLeft(const quendel::BStr& s, LONG count, quendel::BStr* out);
[[nodiscard]] HRESULT asGetStringFromPointerA(const char* ansi, quendel::BStr* out);
[[nodiscard]] HRESULT asGetStringFromPointerW(const char16_t* wide, quendel::BStr* out);
[[nodiscard]] HRESULT asUNICODEToUTF8(const quendel::BStr& s, quendel::BStr* out);
[[nodiscard]] HRESULT asUTF8ToUNICODE(const quendel::BStr& s, quendel::BStr* out);
[[nodiscard]] HRESULT asAnsiToOem(const quendel::BStr& s, quendel::BStr* out);
[[nodiscard]] HRESULT asLoWord(LONG value, LONG* out);
[[nodiscard]] HRESULT asHiByte(LONG value, LONG* out);
[[nodiscard]] HRESULT asMakeLong(LONG low, LONG high, LONG* out);
[[nodiscard]] HRESULT asLongToUnsignedLong(LONG value, double* out);
[[nodiscard]] HRESULT asLargeIntegerToDouble(LONGLONG value, double* out);
[[nodiscard]] HRESULT asDoubleToLargeInteger(double value, LONGLONG* out);
[[nodiscard]] HRESULT asFormatLong(LONG value, quendel::BStr* out);
[[nodiscard]] HRESULT asFormatInt64(double value, quendel::BStr* out);
[[nodiscard]] HRESULT asFormatDouble(double value, quendel::BStr* out);
[[nodiscard]] HRESULT asFormatByteSizeEx(double bytes, quendel::BStr* out);
[[nodiscard]] HRESULT asGetErrorNumber(LONG number, quendel::BStr* out);
[[nodiscard]] HRESULT asGetNewGUID(quendel::BStr* out);

// --- Versions, host and user ---
[[nodiscard]] HRESULT asFormatVersionShort(LONG major, LONG minor, quendel::BStr* out);
[[nodiscard]] HRESULT asFormatVersion(LONG major, LONG minor, LONG revision, quendel::BStr* out);
[[nodiscard]] HRESULT asGetHostOSFullName(bool withServicePack, bool twoLines, quendel::BStr* out);
[[nodiscard]] HRESULT asGetFullUserName(bool fullName, quendel::BStr* out);
[[nodiscard]] HRESULT asGlobalMemoryStatus(QuendelMemoryStatus* out);
[[nodiscard]] HRESULT asSystemTimeToLocalSystemTime(const SYSTEMTIME& utc, SYSTEMTIME* out);
[[nodiscard]] HRESULT asSystemTimeToStringDate(const SYSTEMTIME& time, quendel::BStr* out);
[[nodiscard]] HRESULT asSystemTimeToStringTime(const SYSTEMTIME& time, quendel::BStr* out);

// --- Program ---
[[nodiscard]] HRESULT asGetEXEModulePrettyFileName(quendel::BStr* out);
// The running program's title: the title of the hidden main window it registered
// (asSetThunderMainHandle, esGetThunderMainHandle), else, without one or when that
// window's title cannot be read, its executable's file name without extension.
[[nodiscard]] HRESULT asGetThunderMainTitle(quendel::BStr* out);
// Registers the program's hidden main window (nullptr: none, the start-up state); a
// program's UI code calls it for the window that stands for the program.
void asSetThunderMainHandle(HWND window);
namespace quendel {
// The registered main window (for esGetThunderMainHandle); nullptr when none.
HWND registeredThunderMain();
}  // namespace quendel

// --- Windows ---
// Window handles are X11 window ids. The support library talks to no display: the
// platform layer installs the services below when it is loaded. Statuses: without
// services, without a display, or for a window that does not exist,
// HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE); an icon handle that names no icon,
// HRESULT_FROM_WIN32(ERROR_INVALID_CURSOR_HANDLE). Icons returned belong to the caller
// (DestroyIcon); the library's picture forms of these functions are in
// toolvane/general/icon_picture.h.
//
//   HICON big = nullptr;
//   raiseOnFailure(asGetWindowIcon(hwnd, &big));            // nullptr: the window has none
//   raiseOnFailure(asSetWindowIconAll(hwnd, big, small));   // nullptr twice: remove them
// (No one-argument wrappers: in the library, asGetWindowIcon(hwnd) is the picture form.)
struct QuendelWindowServices {
  HRESULT (*getWindowIcon)(HWND window, bool small, HICON* out);
  HRESULT (*setWindowIcons)(HWND window, HICON large, HICON small);
  HRESULT (*centerWindow)(HWND window);
  HRESULT (*closeWindow)(HWND window);
  HRESULT (*getWindowTitle)(HWND window, quendel::BStr* out);
};
// Installs the services (nullptr: none) and returns those it replaces.
const QuendelWindowServices* asSetWindowServices(const QuendelWindowServices* services);
// The window's icon from its _NET_WM_ICON images: the largest (by area, the first of
// equals); asGetWindowIconSmall: the one nearest 16 x 16 (sum of the width and height
// differences, the larger on a tie). S_OK and nullptr when the window has none.
[[nodiscard]] HRESULT asGetWindowIcon(HWND window, HICON* out);
[[nodiscard]] HRESULT asGetWindowIconSmall(HWND window, HICON* out);
// Writes both icons into the window's _NET_WM_ICON (one image when they are the same
// handle or one is null); both null remove the property.
[[nodiscard]] HRESULT asSetWindowIconAll(HWND window, HICON large, HICON small);
// Centres the window's outer frame on the work area of its monitor (the top-left kept
// inside the work area when the window is larger).
[[nodiscard]] HRESULT asCenterFormEx(HWND window);
// Closes the window as the user would: a WM_DELETE_WINDOW message when it takes that
// protocol, else WM_CLOSE to its message handler (platform/window/window_messages.h);
// HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED) for a window that takes neither.
[[nodiscard]] HRESULT asUnloadForm(HWND window);

// --- Errors, modules and debugging ---
[[nodiscard]] HRESULT asGetLongFileName(const quendel::BStr& path, quendel::BStr* out);
[[nodiscard]] HRESULT asEnableDebugPrivilege(bool enable, bool* out);
// The base address that the ELF file mapped at loadAddress in process pid (0: this one)
// asks for: the lowest PT_LOAD p_vaddr of its program headers, page-aligned. A
// position-independent object (ET_DYN whose lowest p_vaddr is 0) asks for none and counts
// as loaded where it asks: the result is its load address (its lowest mapping), so it never
// shows as relocated. The file is opened without blocking and only when regular; a file
// deleted or replaced since it was mapped is read from the process's memory. E_INVALIDARG
// when no file is mapped there ([vdso], anonymous memory) or its headers are damaged;
// E_ACCESSDENIED when the map or the file cannot be read.
[[nodiscard]] HRESULT asGetModulePreferredBaseAddr(LONG pid, std::uintptr_t loadAddress, std::uintptr_t* out);
// Module snapshots, as the Toolhelp functions of those names:
//
//   HANDLE snap = asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);   // 0: this process
//   MODULEENTRY32 me{};  me.dwSize = sizeof me;
//   for (bool ok = asModule32First(snap, &me); ok; ok = asModule32Next(snap, &me)) ...
//   CloseHandle(snap);                                               // platform/base/handles.h
//
// One entry per ELF file mapped in the process (/proc/<pid>/maps; the kernel's own areas
// such as [vdso] are no files and are not listed), the executable first, the others in
// address order: modBaseAddr = hModule = its lowest mapped address, modBaseSize = the span
// to its highest mapped address, szExePath = its path as the map names it (" (deleted)"
// at the end for a file removed since), in the ANSI code page as szModule. The flags must hold TH32CS_SNAPMODULE
// (E_INVALIDARG otherwise; TH32CS_SNAPMODULE32 and TH32CS_INHERIT are accepted and change nothing). A process whose map
// cannot be read (gone, not ours) gives S_OK and INVALID_HANDLE_VALUE. First/Next: true and the entry filled, false at
// the end (entry untouched); E_HANDLE for a handle that is no open snapshot, HRESULT_FROM_WIN32(ERROR_BAD_LENGTH) for a
// dwSize other than sizeof(MODULEENTRY32).
constexpr DWORD TH32CS_SNAPMODULE = 0x00000008;
constexpr DWORD TH32CS_SNAPMODULE32 = 0x00000010;
constexpr DWORD TH32CS_INHERIT = 0x80000000;
// The record of a 64-bit process: full addresses, a 64-bit size, and names as long as the
// system's (a file name of NAME_MAX bytes, a path of PATH_MAX), each NUL-terminated.
struct MODULEENTRY32 {
  DWORD dwSize;         // sizeof(MODULEENTRY32), set by the caller
  DWORD th32ModuleID;   // always 1
  DWORD th32ProcessID;  // the process's id
  DWORD GlblcntUsage;   // always 0xFFFF
  DWORD ProccntUsage;   // always 0xFFFF
  BYTE* modBaseAddr;
  ULONGLONG modBaseSize;
  HMODULE hModule;
  char szModule[256];    // the file name without folder (and without " (deleted)")
  char szExePath[4096];  // the full path
};
static_assert(sizeof(MODULEENTRY32) == 4400);
[[nodiscard]] HRESULT asCreateToolhelp32Snapshot(DWORD flags, LONG pid, HANDLE* out);
[[nodiscard]] HRESULT asModule32First(HANDLE snapshot, MODULEENTRY32* entry, bool* out);
[[nodiscard]] HRESULT asModule32Next(HANDLE snapshot, MODULEENTRY32* entry, bool* out);
// Written to standard error only when QUENDEL_DEBUG is set; never to standard output.
// Always S_OK: debug output never fails its caller, so its result may be dropped.
HRESULT asDebugPrint(const quendel::BStr& text);
HRESULT asOutputDebugString(const quendel::BStr& text);
// The system's text for a Win32 error code (also in its HRESULT_FROM_WIN32 form) or a
// COM status, without a trailing line break; empty for a number the port has no text for.
[[nodiscard]] HRESULT asGetAPIErrorDescription(LONG number, quendel::BStr* out);
// The text of a multimedia error (MMSYSERR_, WAVERR_, MIDIERR_ numbers); empty when unknown.
[[nodiscard]] HRESULT asGetWinMMErrorDescription(LONG number, quendel::BStr* out);
// The message text for number from the message table of a loaded module (module: the
// handle GetModuleHandleA gives, the address of its first mapped segment). A module
// carries its table in the ELF section ".quendel.msgtable" (records: 32-bit number,
// 32-bit byte length, UTF-8 text; little-endian); no table or no such number gives an
// empty text. E_INVALIDARG for a null handle or one that names no loaded module.
[[nodiscard]] HRESULT asGetModuleErrorDescription(const void* module, LONG number, quendel::BStr* out);

namespace quendel {
// The white space that asTrimEx removes, for callers that trim many slices of one text.
bool isTrimWhiteSpace(char16_t c);
// The text for number in the bytes of a message table (format above); empty when the
// number is absent or the table is damaged before it.
BStr messageTableText(std::string_view table, LONG number);
}  // namespace quendel

// --- Wrappers: the result, or the run-time error raised ---
namespace quendel::support_detail {
template <class T, class F>
T call(F&& f) {
  T out{};
  raiseOnFailure(f(&out));
  return out;
}
}  // namespace quendel::support_detail

// The argument and result names are types and identifiers, which cannot be parenthesised.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define QUENDEL_WRAP0(T, name)                                              \
  inline T name() {                                                         \
    return quendel::support_detail::call<T>([&](T* o) { return name(o); }); \
  }
#define QUENDEL_WRAP1(T, name, A1)                                              \
  inline T name(A1 a1) {                                                        \
    return quendel::support_detail::call<T>([&](T* o) { return name(a1, o); }); \
  }
#define QUENDEL_WRAP2(T, name, A1, A2)                                              \
  inline T name(A1 a1, A2 a2) {                                                     \
    return quendel::support_detail::call<T>([&](T* o) { return name(a1, a2, o); }); \
  }
#define QUENDEL_WRAP3(T, name, A1, A2, A3)                                              \
  inline T name(A1 a1, A2 a2, A3 a3) {                                                  \
    return quendel::support_detail::call<T>([&](T* o) { return name(a1, a2, a3, o); }); \
  }
// NOLINTEND(bugprone-macro-parentheses)

QUENDEL_WRAP1(quendel::BStr, asTrimEx, const quendel::BStr&)
QUENDEL_WRAP1(quendel::BStr, asTrimCRLF, const quendel::BStr&)
QUENDEL_WRAP2(quendel::BStr, asCutLeft, const quendel::BStr&, LONG)
QUENDEL_WRAP1(quendel::BStr, asGetStringFromPointerA, const char*)
QUENDEL_WRAP1(quendel::BStr, asGetStringFromPointerW, const char16_t*)
QUENDEL_WRAP1(quendel::BStr, asUNICODEToUTF8, const quendel::BStr&)
QUENDEL_WRAP1(quendel::BStr, asUTF8ToUNICODE, const quendel::BStr&)
QUENDEL_WRAP1(quendel::BStr, asAnsiToOem, const quendel::BStr&)
QUENDEL_WRAP1(LONG, asLoWord, LONG)
QUENDEL_WRAP1(LONG, asHiByte, LONG)
QUENDEL_WRAP2(LONG, asMakeLong, LONG, LONG)
QUENDEL_WRAP1(double, asLongToUnsignedLong, LONG)
QUENDEL_WRAP1(double, asLargeIntegerToDouble, LONGLONG)
QUENDEL_WRAP1(LONGLONG, asDoubleToLargeInteger, double)
QUENDEL_WRAP1(quendel::BStr, asFormatLong, LONG)
QUENDEL_WRAP1(quendel::BStr, asFormatInt64, double)
QUENDEL_WRAP1(quendel::BStr, asFormatDouble, double)
QUENDEL_WRAP1(quendel::BStr, asFormatByteSizeEx, double)
QUENDEL_WRAP1(quendel::BStr, asGetErrorNumber, LONG)
QUENDEL_WRAP0(quendel::BStr, asGetNewGUID)
QUENDEL_WRAP2(quendel::BStr, asFormatVersionShort, LONG, LONG)
QUENDEL_WRAP3(quendel::BStr, asFormatVersion, LONG, LONG, LONG)
QUENDEL_WRAP2(quendel::BStr, asGetHostOSFullName, bool, bool)
QUENDEL_WRAP1(quendel::BStr, asGetFullUserName, bool)
QUENDEL_WRAP0(QuendelMemoryStatus, asGlobalMemoryStatus)
QUENDEL_WRAP1(SYSTEMTIME, asSystemTimeToLocalSystemTime, const SYSTEMTIME&)
QUENDEL_WRAP1(quendel::BStr, asSystemTimeToStringDate, const SYSTEMTIME&)
QUENDEL_WRAP1(quendel::BStr, asSystemTimeToStringTime, const SYSTEMTIME&)
QUENDEL_WRAP0(quendel::BStr, asGetEXEModulePrettyFileName)
QUENDEL_WRAP0(quendel::BStr, asGetThunderMainTitle)
QUENDEL_WRAP1(quendel::BStr, asGetAPIErrorDescription, LONG)
QUENDEL_WRAP1(quendel::BStr, asGetWinMMErrorDescription, LONG)
QUENDEL_WRAP2(quendel::BStr, asGetModuleErrorDescription, const void*, LONG)
QUENDEL_WRAP1(quendel::BStr, asGetLongFileName, const quendel::BStr&)
QUENDEL_WRAP1(bool, asEnableDebugPrivilege, bool)
QUENDEL_WRAP2(std::uintptr_t, asGetModulePreferredBaseAddr, LONG, std::uintptr_t)
QUENDEL_WRAP2(HANDLE, asCreateToolhelp32Snapshot, DWORD, LONG)
QUENDEL_WRAP2(bool, asModule32First, HANDLE, MODULEENTRY32*)
QUENDEL_WRAP2(bool, asModule32Next, HANDLE, MODULEENTRY32*)

QUENDEL_EXPORT_END
