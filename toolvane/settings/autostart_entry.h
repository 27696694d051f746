// Freedesktop autostart entries: what makes a program start when the user logs on to a
// Linux desktop. The autorun support keeps its Run-key value and one entry in step.
//
// Folders: the user's $XDG_CONFIG_HOME/autostart (~/.config/autostart when unset); the
// machine's /etc/xdg/autostart, or QUENDEL_XDG_AUTOSTART_SYSTEM_DIR when set and not
// empty (tests and staged installs use it). Read on every call.
//
// File: "quendel-autorun-<id>.desktop", where <id> is the program's identifier in lower
// case (the Run key's value names ignore case, so must the file) with every character
// but a-z, 0-9, "." and "-" written as "_" and two hexadecimal digits per UTF-8 byte;
// identifiers too long for a file name are cut and end in a hash of the whole.
//
// Exec: each argument quoted as the desktop-entry rules require (reserved characters
// inside double quotes, with ", `, $ and \ escaped; "%" doubled), then the line escaped
// as a string value (\\, \n, \t, \r).
//
// Failures: writeEntry and removeEntry return false with errno's text in *error; a
// write replaces the file atomically or leaves the old one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::autostart {

enum class Scope { User, Machine };

std::string folderFor(Scope scope);
std::string fileNameFor(const automation::String& appGuid);
// The Exec value for a program and its arguments.
std::string execValue(const std::vector<automation::String>& arguments);
// The whole file.
std::string entryText(const automation::String& appGuid, const std::vector<automation::String>& arguments);

// The current file's text, or nothing when there is none (or it cannot be read).
std::optional<std::string> readEntry(Scope scope, const automation::String& appGuid);
// Writes text as the entry, creating the folder when needed.
bool writeEntryText(Scope scope, const automation::String& appGuid, const std::string& text, std::string* error);
// Removes the entry; true when it is gone (also when there was none).
bool removeEntry(Scope scope, const automation::String& appGuid, std::string* error);

}  // namespace quendel::toolvane::autostart

QUENDEL_EXPORT_END
