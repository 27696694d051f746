#include "toolvane/controls/qnd_text_box_def_button_watcher.h"

#include "toolvane/frame/client_objects.h"

namespace quendel::toolvane {

namespace {

// The text box keeps the sink; the sink reaches the watcher weakly, so a watcher the
// client dropped is not kept alive by the text box it watched.
class FocusSink : public EventSink {
 public:
  explicit FocusSink(std::weak_ptr<qndTextBoxDefButtonWatcher> watcher) : watcher_(std::move(watcher)) {}
  void onEvent(Object&, std::u16string_view name, std::vector<Variant>&) override {
    auto watcher = watcher_.lock();
    if (!watcher) return;
    if (equalsText(name, u"GotFocus"))
      watcher->onGotFocus();
    else if (equalsText(name, u"LostFocus"))
      watcher->onLostFocus();
  }

 private:
  std::weak_ptr<qndTextBoxDefButtonWatcher> watcher_;
};

void requireKind(const ObjectPtr& object, std::u16string_view typeName) {
  if (object && !isOfType(object, typeName)) throw RuntimeError(13);
}

}  // namespace

qndTextBoxDefButtonWatcher::~qndTextBoxDefButtonWatcher() { stopWatching(); }

void qndTextBoxDefButtonWatcher::stopWatching() {
  if (thisTextBox_) {
    ignoringErrors([&] { thisTextBox_->unadvise(cookie_); });
    thisTextBox_.reset();
  }
  cookie_ = 0;
}

void qndTextBoxDefButtonWatcher::Init(const ObjectPtr& Global_CommandButton, const ObjectPtr& Local_CommandButton,
                                      const ObjectPtr& This_TextBox) {
  requireKind(Global_CommandButton, u"CommandButton");
  requireKind(Local_CommandButton, u"CommandButton");
  requireKind(This_TextBox, u"TextBox");
  Object::Cookie cookie = 0;
  if (This_TextBox)
    cookie = This_TextBox->advise(
        std::make_shared<FocusSink>(std::static_pointer_cast<qndTextBoxDefButtonWatcher>(shared_from_this())));
  stopWatching();
  globalButton_ = Global_CommandButton;
  localButton_ = Local_CommandButton;
  thisTextBox_ = This_TextBox;
  cookie_ = cookie;
}

void qndTextBoxDefButtonWatcher::onGotFocus() {
  if (localButton_) localButton_->let(u"Default", Variant(true));
}

void qndTextBoxDefButtonWatcher::onLostFocus() {
  if (localButton_) localButton_->let(u"Default", Variant(false));
  if (globalButton_) globalButton_->let(u"Default", Variant(true));
}

}  // namespace quendel::toolvane
