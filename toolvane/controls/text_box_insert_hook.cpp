#include "toolvane/controls/text_box_insert_hook.h"

#include <utility>

#include "toolvane/controls/key_codes.h"
#include "toolvane/frame/client_objects.h"

namespace quendel::toolvane {

namespace {

// The guard needs nothing but the text box the event comes from, so the sink keeps no
// reference to the guard and the text box never keeps the guard alive.
class InsertKeySink : public EventSink {
 public:
  void onEvent(Object& source, std::u16string_view name, std::vector<Variant>& args) override {
    if (equalsText(name, u"KeyDown") && args.size() >= 2) CTextBoxInsertHook::onKeyDown(source, args[0], args[1]);
  }
};

}  // namespace

CTextBoxInsertHook::~CTextBoxInsertHook() {
  try {
    setCurrentHook(nullptr);
  } catch (const RuntimeError&) {
    // The text box is going away as well; nothing is left to unsubscribe from.
  }
}

void CTextBoxInsertHook::setCurrentHook(const ObjectPtr& textBox) {
  if (textBox == textBox_) return;
  Object::Cookie cookie = 0;
  if (textBox) cookie = textBox->advise(std::make_shared<InsertKeySink>());
  ObjectPtr old = std::exchange(textBox_, textBox);
  Object::Cookie oldCookie = std::exchange(cookie_, cookie);
  if (old) ignoringErrors([&] { old->unadvise(oldCookie); });
}

void CTextBoxInsertHook::onKeyDown(Object& textBox, Variant& keyCode, Variant& shift) {
  LONG code = 0, state = 0;
  if (!ignoringErrors([&] {
        code = keyCode.toLong();
        state = shift.toLong();
      }))
    return;
  if (code != kKeyInsert || state != kShiftMask) return;
  bool locked = false;
  ignoringErrors([&] { locked = textBox.get(u"Locked").toBool(); });
  if (!locked) return;
  keyCode = zeroOfSameType(keyCode);
  shift = zeroOfSameType(shift);
}

}  // namespace quendel::toolvane
