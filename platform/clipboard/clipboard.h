// The clipboard calls of the port: one clipboard per login session, shared by every
// process of the session and, where a display exists, with the desktop's programs.
//
//   if (OpenClipboard(nullptr)) {
//     EmptyClipboard();
//     HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 6);  ... fill ...
//     if (!SetClipboardData(CF_TEXT, h)) GlobalFree(h);
//     CloseClipboard();                            // the new content is published here
//   }
//
// Rules, as on the platform:
// - One caller at a time: OpenClipboard fails (FALSE, ERROR_ACCESS_DENIED) while another
//   process, or another thread of this one, has the clipboard open; opening it again on the
//   thread that holds it succeeds. The owner window argument is not used.
// - EmptyClipboard and SetClipboardData need the clipboard open (else
//   ERROR_CLIPBOARD_NOT_OPEN). SetClipboardData takes the block: on success the handle
//   belongs to the clipboard and must not be freed; data of the same format is replaced in
//   its place; a null handle (delayed rendering) is refused.
// - Changes become visible to other processes, all at once, when CloseClipboard returns.
//   A process that ends while holding the clipboard open leaves the content as it was
//   before it opened it, and the lock is gone with the process.
// - GetClipboardData and EnumClipboardFormats need the clipboard open. A handle from
//   GetClipboardData belongs to the clipboard and stays valid until CloseClipboard or
//   EmptyClipboard. Text is synthesized as the platform does: CF_TEXT, CF_OEMTEXT and
//   CF_UNICODETEXT are each available when any one of them is; synthesized formats
//   enumerate after the formats put, which enumerate in the order they were put.
// - IsClipboardFormatAvailable and CountClipboardFormats work without opening.
// - RegisterClipboardFormatA gives ids from 0xC000, the same in every process of the
//   session for the same name in any letter case; GetClipboardFormatNameA gives the name
//   of a registered id (0 for predefined and unknown ids).
// - GetThreadLocale: the user's locale as a Windows LCID (0x0419 Russian, 0x0409 ...).
// Every failure sets the value clipboardLastError() reads (Win32 codes).
//
// The desktop: when DISPLAY names a reachable X11 display, content committed by
// CloseClipboard is offered on the CLIPBOARD selection by the session's owner process, and
// newer content copied by other programs is read in when the clipboard is opened or
// queried (desktop_bridge.h).
#pragma once

#include "platform/clipboard/clipboard_formats.h"
#include "platform/clipboard/global_memory.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

using LCID = DWORD;
using HANDLE = void*;

constexpr DWORD ERROR_CLIPBOARD_NOT_OPEN = 1418;

[[nodiscard]] BOOL OpenClipboard(void* hWndNewOwner);
[[nodiscard]] BOOL CloseClipboard();
[[nodiscard]] BOOL EmptyClipboard();
HANDLE SetClipboardData(UINT format, HANDLE mem);
HANDLE GetClipboardData(UINT format);
[[nodiscard]] BOOL IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
UINT EnumClipboardFormats(UINT format);
int GetClipboardFormatNameA(UINT format, char* name, int maxCount);
UINT RegisterClipboardFormatA(const char* name);
LCID GetThreadLocale();

namespace quendel::clipboard {

// The Win32 code of the calling thread's last clipboard or Global* failure (0 after a
// success).
DWORD clipboardLastError();

}  // namespace quendel::clipboard

QUENDEL_EXPORT_END
