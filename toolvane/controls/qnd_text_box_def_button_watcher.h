// qndTextBoxDefButtonWatcher: while one text box has the focus, Enter presses a button of
// its own (the local default button); when the focus leaves, the form's usual (global)
// default button is restored.
//
//   auto w = std::make_shared<qndTextBoxDefButtonWatcher>();
//   w->Init(cmdOK, cmdSearch, txtSearch);     // buttons may be Nothing
//
// It listens to the text box's GotFocus and LostFocus events. GotFocus: the local button's
// Default becomes True (the form clears it on its other buttons). LostFocus: the local
// button's Default becomes False, then the global button's Default becomes True; a button
// that is Nothing is left out. Init replaces all three references at once, and only after
// checking them: each button must be Nothing or a CommandButton, the text box Nothing or
// a TextBox, else 13 (Type mismatch) with the old targets kept. The watcher does nothing
// when created or destroyed (it does not restore the default button when it goes).
#pragma once

#include "support/export.h"
#include "toolvane/frame/library_object.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

class qndTextBoxDefButtonWatcher : public LibraryObject {
 public:
  ~qndTextBoxDefButtonWatcher() override;

  void Init(const ObjectPtr& Global_CommandButton, const ObjectPtr& Local_CommandButton, const ObjectPtr& This_TextBox);

  // The watcher's reactions to the text box's focus events.
  void onGotFocus();
  void onLostFocus();

  static const ClassDesc& describe();
  const ClassDesc* classDesc() const override { return &describe(); }

 private:
  void stopWatching();

  ObjectPtr globalButton_;
  ObjectPtr localButton_;
  ObjectPtr thisTextBox_;
  Object::Cookie cookie_ = 0;
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
