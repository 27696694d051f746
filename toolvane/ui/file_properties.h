// The shell's "properties" verb (ShellExecuteEx with SEE_MASK_INVOKEIDLIST) on the
// desktop: the freedesktop file-manager interface's ShowItemProperties, on the session bus.
//
//   bool asked = showFileProperties(u"/usr/lib/libfoo.so.1");
//
// Calls org.freedesktop.FileManager1 /org/freedesktop/FileManager1
// org.freedesktop.FileManager1.ShowItemProperties(["file:///usr/lib/libfoo.so.1"], "")
// without waiting for an answer (the file manager opens its window by itself). False when
// there is no session bus or the path is empty; whether a file manager answers is not
// known, as the shell's call does not report it either.
#pragma once

#include "support/win_types.h"

namespace quendel::toolvane::ui {

bool showFileProperties(const BStr& path);

}  // namespace quendel::toolvane::ui
