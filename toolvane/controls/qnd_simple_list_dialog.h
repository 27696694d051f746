// qndSimpleListDialog: shows a list of strings in a small, resizable, modal window
// (frmList). Clicking an item shows its text after the first tab in a label under the
// list, so an item can carry a short display text and a longer detail.
//
//   auto dlg = std::make_shared<qndSimpleListDialog>();
//   dlg->Elements()->add(Variant(u"libc.so.6\t/usr/lib/x86_64-linux-gnu/libc.so.6"));
//   dlg->setCaption(u"Modules");          // window caption "Modules [1]"
//   dlg->Show();                          // returns when the window is closed
//
// Properties after creation: Elements a new empty Collection, Font a new font (Tahoma,
// 9 pt, character set 204, weight 100), ShowCountInCaption True, Caption "". Elements
// is never Nothing: assigning Nothing gives a new empty collection; any other assignment
// (set or let) shares the caller's Collection (13 for an object that is no Collection).
// Font keeps the caller's font object itself (any object with the font's members, or
// Nothing for the design font).
//
// Show turns each element into its text (an element that has none is skipped), builds the
// caption (Caption + " [" + item count + "]" when ShowCountInCaption) and shows the window
// modally without an owner. It never raises: a failure of any step is skipped. Without a
// display it returns at once and the toolkit is not loaded.
#pragma once

#include <memory>

#include "automation/collection.h"
#include "support/export.h"
#include "toolvane/controls/list_dialog_request.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class qndSimpleListDialog : public LibraryObject {
 public:
  qndSimpleListDialog();

  std::shared_ptr<automation::Collection> Elements() const { return elements_; }
  void setElements(const ObjectPtr& elements);
  ObjectPtr Font() const { return font_; }
  void setFont(const ObjectPtr& font) { font_ = font; }
  bool ShowCountInCaption() const { return showCountInCaption_; }
  void setShowCountInCaption(bool show) { showCountInCaption_ = show; }
  String Caption() const { return caption_; }
  void setCaption(const String& caption) { caption_ = caption; }

  void Show();
  // What Show hands to the window, for the window and for tests.
  ListDialogRequest request() const;

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  std::shared_ptr<automation::Collection> elements_;
  ObjectPtr font_;
  bool showCountInCaption_ = true;
  String caption_;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
