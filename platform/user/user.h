// The USER32 and KERNEL32 pieces that message boxes and error texts call, over Linux.
//
//   HMODULE user32 = GetModuleHandleA("User32");
//   char caption[1024];
//   if (user32 && LoadStringA(user32, 805, caption, 1024) > 0) ...   // "&Yes" / "&Да"
//
// - GetModuleHandleA finds a module already loaded in the process (it never loads one):
//   nullptr names the executable; any other name matches a loaded shared object by its
//   file name, letter case ignored, with or without the "lib" prefix, the ".so" suffix and
//   its version, or a ".dll" ending ("quendelplatform", "libquendelplatform.so",
//   "QuendelPlatform.dll"). A handle is the address of the module's first mapped segment.
//   "User32" (also "user32.dll") names the port's system string table, which always exists.
//   Returns nullptr when nothing matches.
// - LoadStringA copies string id of a module into buffer (at most size − 1 bytes in the
//   ANSI code page, never splitting a character, always zero-terminated) and returns the
//   bytes copied; 0 when the module has no such string or size < 1. Only the User32 table
//   carries strings: the message-box button texts 800 to 808 (OK, Cancel, Abort, Retry,
//   Ignore, Yes, No, Close, Help), in Russian when the user's
//   language is Russian and in English otherwise.
// - GetUserDefaultLangID: the Windows language identifier of the user's locale (LC_ALL,
//   else LC_MESSAGES, else LANG): 0x0419 for Russian, 0x0409 for US English, 0x0809 for
//   British English and so on; the C and POSIX locales and unknown languages give 0x0409.
// - MessageBeep rings the display's bell (X11) for every type; FALSE when there is no
//   display to ring (BOOL: 1 TRUE, 0 FALSE).
#pragma once

#include <cstdint>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

struct HINSTANCEHandle;
using HINSTANCE = HINSTANCEHandle*;
using HMODULE = HINSTANCE;
using LANGID = WORD;

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_HELP = 0x00004000;
constexpr UINT MB_SIMPLE_BEEP = 0xFFFFFFFF;

// The answers of the standard boxes.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

HMODULE GetModuleHandleA(const char* moduleName);
int LoadStringA(HINSTANCE instance, UINT id, char* buffer, int bufferMax);
LANGID GetUserDefaultLangID();
[[nodiscard]] BOOL MessageBeep(UINT type);

namespace quendel::platform {

// The Windows language identifier for a POSIX locale name ("ru_RU.UTF-8", "en_GB",
// "uk_UA@euro"); 0x0409 for "C", "POSIX", an empty name or an unknown language.
LANGID langIdFromLocaleName(const char* name);

// The User32 string id in the language langId (Russian for 0x0419, English for any other
// language), as UTF-16; nullptr for an id the table lacks.
const char16_t* user32String(UINT id, LANGID langId);

}  // namespace quendel::platform

QUENDEL_EXPORT_END
