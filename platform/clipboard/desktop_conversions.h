// Conversions between the clipboard's formats and the X11 selection targets that desktop
// programs exchange. Pure functions: the owner process and the importer call them, the
// tests check them without a display.
//
//   auto offers = offersFor(entries, names, htmlId);      // what to announce in TARGETS
//   std::optional<std::string> bytes = exportTarget(offers[0], entries);
//   auto plan = importPlan(targetNames, names);            // which targets to fetch
//   std::vector<Entry> e = importEntries(fetched, names, htmlId, lcid);
//
// Export (clipboard -> desktop):
// - text (CF_UNICODETEXT, or CF_TEXT / CF_OEMTEXT) as UTF8_STRING, text/plain;charset=utf-8,
//   text/plain (UTF-8) and STRING (Latin-1, '?' for what it cannot hold), up to the first NUL;
// - "HTML Format": text/html (the fragment, without header and markers, up to the first NUL)
//   and "HTML Format" (the block as it stands);
// - CF_HDROP: text/uri-list (file:// addresses, percent-encoded UTF-8, each line ended by
//   CR LF), x-special/gnome-copied-files ("copy" and the addresses, LF-separated) and
//   application/x-kde-cutselection ("0"); names that are not absolute paths are left out;
// - other registered formats under their own names, bytes as they are.
// Import (desktop -> clipboard), each kind from the first target offered:
// - text from UTF8_STRING, text/plain;charset=utf-8, text/plain, STRING: CF_UNICODETEXT and
//   CF_LOCALE (the other text formats are synthesized by the clipboard);
// - HTML from "HTML Format" (kept as it is) or text/html (UTF-8, or UTF-16 with a byte
//   order mark; a <meta charset> prefix and surrounding <html>/<body> are kept in the
//   fragment): a CF_HTML block with the default context;
// - files from text/uri-list or x-special/gnome-copied-files: CF_HDROP (wide) with the
//   local paths of file:// addresses (other addresses are left out);
// - any other target whose name is a registered format name, bytes as they are.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard/clipboard_store.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::clipboard {

enum class TargetKind {
  Utf8Text,
  Latin1Text,
  HtmlFragment,
  HtmlBlock,
  UriList,
  GnomeCopiedFiles,
  KdeCutSelection,
  Raw
};

struct Offer {
  std::string target;
  TargetKind kind;
  UINT format;  // the clipboard format the data comes from
};

// The name of a registered format, or nothing.
using NameOf = std::function<std::optional<std::string>(UINT)>;
// The id of a registered name, or 0.
using IdOf = std::function<UINT(const std::string&)>;

std::vector<Offer> offersFor(const std::vector<Entry>& entries, const NameOf& nameOf, UINT htmlFormat);
// The bytes of one offer; empty optional when the data cannot be converted.
std::optional<std::string> exportTarget(const Offer& offer, const std::vector<Entry>& entries);

// The targets to fetch from a desktop owner offering `targets`.
std::vector<std::string> importPlan(const std::vector<std::string>& targets, const IdOf& idOf);
// Clipboard entries from the fetched targets (target name -> bytes).
std::vector<Entry> importEntries(const std::map<std::string, std::string>& fetched, const IdOf& idOf, UINT htmlFormat,
                                 DWORD locale);

// Pieces, exposed for their tests.
std::string fileUriOf(const std::u16string& path);  // "" if not absolute
std::optional<std::u16string> pathOfFileUri(std::string_view uri);
std::string uriListOf(const std::vector<std::u16string>& paths);
std::vector<std::u16string> pathsOfUriList(std::string_view list);
std::string utf8OfTextHtml(std::string_view bytes);

}  // namespace quendel::clipboard

QUENDEL_EXPORT_END
