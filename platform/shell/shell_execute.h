// The shell's open call (SHELL32), over the desktop's opener.
//
//   HINSTANCE r = ShellExecuteA(nullptr, "open", "/usr/bin/gnome-system-monitor", "", nullptr, SW_SHOWNORMAL);
//   bool started = reinterpret_cast<std::intptr_t>(r) > 32;
//   ShellExecuteA(hwnd, "open", "mailto:someone@example.org", "", "", SW_SHOWNORMAL);
//
// Verb "open" or none. A file that is an executable regular file (a path, or a bare name
// found on PATH) is started itself with lpParameters split at blanks (double quotes group
// as the command line does); any other file or an address ("https:", "mailto:") is given
// to `xdg-open`, found on PATH when the call is made. The program runs detached (its own
// session, no zombie left behind) in lpDirectory, or the caller's working directory when
// that is null or empty. The result is a value above 32 once the program has been
// executed; the owner window and the show command are not used (the window manager
// places new windows).
//
// Failures, as the platform's small numbers: 0 when the process cannot be made
// (out of memory, too many processes); SE_ERR_FNF (2) for a missing file;
// SE_ERR_PNF (3) for a missing directory; SE_ERR_ACCESSDENIED (5) for a file that may not
// be executed or opened; SE_ERR_NOASSOC (31) for another verb, or a document or address
// with no `xdg-open` on PATH; ERROR_BAD_FORMAT (11) for an executable the system cannot
// run. The thread's last error is set to the matching Win32 code.
#pragma once

#include <cstdint>

#include "platform/base/last_error.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWDEFAULT = 10;

constexpr std::intptr_t SE_ERR_FNF = 2;
constexpr std::intptr_t SE_ERR_PNF = 3;
constexpr std::intptr_t SE_ERR_ACCESSDENIED = 5;
constexpr std::intptr_t SE_ERR_OOM = 8;
constexpr std::intptr_t ERROR_BAD_FORMAT_RESULT = 11;
constexpr std::intptr_t SE_ERR_NOASSOC = 31;

[[nodiscard]] HINSTANCE ShellExecuteA(HWND hwnd, const char* lpOperation, const char* lpFile, const char* lpParameters,
                                      const char* lpDirectory, int nShowCmd);

// True when a ShellExecuteA result reports success (a value above 32).
inline bool shellExecuteSucceeded(HINSTANCE result) { return reinterpret_cast<std::intptr_t>(result) > 32; }

QUENDEL_EXPORT_END
