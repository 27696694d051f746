// The bridge between the session's clipboard store and the desktop's X11 CLIPBOARD
// selection.
//
// Publishing: after CloseClipboard commits new content, publishToDesktop makes sure the
// session's owner process (the program quendel-clipboard-owner) runs, tells it that the
// content changed and waits (at most a few seconds) until it owns CLIPBOARD with that
// content, so that the data can be pasted after the writing process has ended. The owner
// serves the store's content in the desktop's types (desktop_conversions.h), hands it to
// a clipboard manager (SAVE_TARGETS) when one runs, and ends when another program takes
// the selection, when the display closes or when the store's folder disappears.
//
// Importing: when the clipboard is opened or queried, importFromDesktop reads the
// selection of another program into a new snapshot, unless that content has been read in
// already (same owner window and same bytes, kept as a fingerprint in the store) or the
// owner is the session's own owner process.
//
// Both do nothing when DISPLAY is unset or empty, when QUENDEL_CLIPBOARD_DESKTOP is "0",
// or when the display cannot be reached; failures leave the store as the only clipboard.
// The owner program is QUENDEL_CLIPBOARD_OWNER, else quendel-clipboard-owner in ../bin
// beside the platform library, beside it, or in ../libexec/quendel.
#pragma once

#include <string>

#include "platform/clipboard/clipboard_store.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::clipboard {

bool desktopBridgeEnabled();
// The caller holds the store lock. True when *imported holds newer desktop content
// (entries and fingerprint; the caller sets generation and origin).
bool importFromDesktop(const SessionFolder& folder, const Snapshot& current, Snapshot* imported);
void publishToDesktop(const SessionFolder& folder, std::uint64_t generation);

// The owner process's window as it recorded it (0 when none is running).
std::uint32_t runningOwnerWindow(const SessionFolder& folder, int* pid = nullptr);
std::string ownerProgramPath();

// Names shared with the owner process.
inline constexpr char kChangedMessage[] = "_QUENDEL_CLIPBOARD_CHANGED";
inline constexpr char kGenerationProperty[] = "_QUENDEL_CLIPBOARD_GENERATION";

}  // namespace quendel::clipboard

QUENDEL_EXPORT_END
