// qndClipboard: the clipboard in a few calls: text (Unicode, ANSI, OEM and the locale
// together), any format as raw bytes, format names and lists, file lists (the shell's
// file-drop format, both widths) and HTML in the "HTML Format" block with its offsets.
//
//   auto& cb = *globalInstance<qndClipboard>();
//   cb.Clear();  cb.SetText(u"Hello");  cb.SetHTML(u"<b>Hello</b>");
//   cb.GetHTML(ghrvFragment);           // "<b>Hello</b>"
//
// Rules. Every member opens the clipboard (without an owner window), works and closes it
// within the call. Setters never empty the clipboard: they add their formats, replacing
// data of the same format only; call Clear first for the clipboard to hold only yours.
// Failures of the clipboard itself never raise: setters return False, getters the empty
// string or 0, GetFormats and GetShellFiles Nothing (a null pointer).
// Raised errors: GetHTML on a malformed header (13 for ten characters that are no
// number, 6 for a number beyond 32 bits, 5 for an end value below its start value);
// GetShellFiles on a block whose file-list offset lies beyond it (9); SetRAWData with Data
// that is no Byte array (13); SetShellFiles for a name that is no text (13, 94).
// Reading never goes past a clipboard block, whatever its content: text without its
// terminating NUL ends at the end of the block.
// SetHTML leaves its two context arguments as the caller passed them.
// State: the id of "HTML Format", registered on first use and kept per instance.
#pragma once

#include <memory>

#include "automation/collection.h"
#include "support/export.h"
#include "toolvane/clipboard/html_clip.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class qndClipboard : public LibraryObject {
 public:
  bool Clear();
  LONG CF_HTML();
  bool SetHTML(const String& HTMLFragment, const String& ContextHTMLStart = u"<HTML><BODY>",
               const String& ContextHTMLEnd = u"</BODY></HTML>");
  String GetHTML(LONG ReturnValue = ghrvFragment);
  bool SetText(const String& Text);
  String GetText(bool ReturnANSIText = false);
  bool IsFormatAvailable(LONG ClipboardFormat);
  bool SetRAWData(LONG FormatID, const Variant& Data);
  bool GetRAWData(LONG FormatID, Variant& Data, LONG* lpDataSize = nullptr);
  String GetFormatName(LONG FormatID);
  LONG GetFormatsCount();
  std::shared_ptr<Collection> GetFormats();
  // FileNames: a Collection, or any object with Count and Item (read by name).
  bool SetShellFiles(const ObjectPtr& FileNames, bool Unicode = true);
  std::shared_ptr<Collection> GetShellFiles();

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  LONG htmlFormat_ = 0;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
