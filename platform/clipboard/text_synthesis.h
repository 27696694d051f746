// The text formats the clipboard offers without their being put: CF_TEXT, CF_OEMTEXT and
// CF_UNICODETEXT, each converted from whichever of them was put (Unicode first, then
// ANSI, then OEM). Pure functions over a list of entries.
//
//   visibleFormats({CF_UNICODETEXT, CF_LOCALE})   // 13, 16, 1, 7
//   formatData(entries, CF_TEXT)                  // the Unicode text in the ANSI code page
//
// A converted block holds the text up to the source's first NUL and one NUL of its own
// width. formatData gives an empty optional for a format that is neither put nor
// synthesized.
#pragma once

#include <optional>
#include <vector>

#include "platform/clipboard/clipboard_formats.h"
#include "platform/clipboard/clipboard_store.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::clipboard {

std::vector<UINT> visibleFormats(const std::vector<Entry>& entries);
std::optional<Bytes> formatData(const std::vector<Entry>& entries, UINT format);

}  // namespace quendel::clipboard

QUENDEL_EXPORT_END
