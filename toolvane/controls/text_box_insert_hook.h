// CTextBoxInsertHook: the guard that qndMain.AddTextBoxInsertHook puts on a text box. It
// listens to the text box's KeyDown(KeyCode, Shift) event and swallows Shift+Insert
// (key code 45, shift state exactly 1) while the text box is Locked, by setting both
// by-reference arguments to 0; every other key, and Shift+Insert on an unlocked box,
// passes unchanged.
//
//   auto hook = std::make_shared<CTextBoxInsertHook>();
//   hook->setCurrentHook(textBox);        // subscribes; Nothing unsubscribes
//
// A private class of the library (not in the type library), readable by name:
// TextBoxObject (get) and CurrentHook (get, let, set). The guard holds its text box and
// lets go of it (unsubscribing) when re-targeted or destroyed. A text box whose Locked
// cannot be read counts as unlocked; a key code or shift state that is not a number
// passes unchanged.
#pragma once

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class CTextBoxInsertHook : public LibraryObject {
 public:
  CTextBoxInsertHook() = default;
  ~CTextBoxInsertHook() override;

  ObjectPtr TextBoxObject() const { return textBox_; }
  ObjectPtr CurrentHook() const { return textBox_; }
  void setCurrentHook(const ObjectPtr& textBox);

  // The guard's rule for one key-down event of a text box.
  static void onKeyDown(Object& textBox, Variant& keyCode, Variant& shift);

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  ObjectPtr textBox_;
  Object::Cookie cookie_ = 0;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
