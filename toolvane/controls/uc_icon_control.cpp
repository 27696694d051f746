#include "toolvane/controls/uc_icon_control.h"

#include "automation/mouse_pointer.h"
#include "automation/std_picture.h"
#include "toolvane/controls/ole_color.h"
#include "toolvane/frame/client_objects.h"

namespace quendel::toolvane {

namespace {

constexpr LONG kInvalidPropertyValue = 380;
// The Picture of a new control: what loading an empty file name gives.
ObjectPtr emptyPicture() { return automation::StdPicture::create({}); }

}  // namespace

ucIconControl::ucIconControl() : picture_(emptyPicture()), backColor_(kButtonFaceColor) {}

void ucIconControl::changed(std::u16string_view name) const {
  if (propertyChanged) propertyChanged(name);
}

void ucIconControl::RedrawIcon() {
  if (!surface_) return;
  if (!picture_) {
    surface_->eraseTo(backColor_);
    return;
  }
  surface_->drawIcon(*picture_);
  surface_->refresh();
}

void ucIconControl::setPicture(ObjectPtr picture) {
  picture_ = std::move(picture);
  changed(u"Picture");
  RedrawIcon();
}

void ucIconControl::setBackColor(LONG color) {
  if (!isOleColor(color)) throw RuntimeError(kInvalidPropertyValue);
  backColor_ = color;
  if (surface_) surface_->eraseTo(color);
  changed(u"BackColor");
  RedrawIcon();
}

void ucIconControl::setMouseIcon(ObjectPtr picture) {
  if (surface_) surface_->setMouseIcon(picture);  // raises first for a picture without an icon
  mouseIcon_ = std::move(picture);
  changed(u"MouseIcon");
}

void ucIconControl::setMousePointer(Integer pointer) {
  if (!automation::isMousePointer(pointer.value)) throw RuntimeError(kInvalidPropertyValue);
  mousePointer_ = pointer;
  if (surface_) surface_->setMousePointer(pointer.value);
  changed(u"MousePointer");
}

void ucIconControl::ReadProperties(const automation::PropertyBag& bag) {
  (void)ignoringErrors([&] { picture_ = bag.ReadProperty(u"Picture", Variant(emptyPicture())).toObject(); });
  (void)ignoringErrors([&] { setBackColor(bag.ReadProperty(u"BackColor", Variant(kButtonFaceColor)).toLong()); });
  (void)ignoringErrors([&] { setMouseIcon(bag.ReadProperty(u"MouseIcon", Variant::nothing()).toObject()); });
  (void)ignoringErrors([&] { setMousePointer(bag.ReadProperty(u"MousePointer", Variant(Integer{0})).toInteger()); });
}

void ucIconControl::WriteProperties(automation::PropertyBag& bag) const {
  (void)ignoringErrors([&] { bag.WriteProperty(u"Picture", Variant(picture_), Variant(emptyPicture())); });
  (void)ignoringErrors([&] { bag.WriteProperty(u"BackColor", Variant(backColor_), Variant(kButtonFaceColor)); });
  (void)ignoringErrors([&] { bag.WriteProperty(u"MouseIcon", Variant(mouseIcon_), Variant::nothing()); });
  (void)ignoringErrors([&] { bag.WriteProperty(u"MousePointer", Variant(mousePointer_), Variant(Integer{0})); });
}

void ucIconControl::raiseClick() {
  std::vector<Variant> none;
  raiseEvent(u"Click", none);
}

void ucIconControl::raiseDblClick() {
  std::vector<Variant> none;
  raiseEvent(u"DblClick", none);
}

void ucIconControl::raiseMouse(std::u16string_view event, Integer button, Integer shift, float x, float y) {
  std::vector<Variant> args{Variant(button), Variant(shift), Variant(x), Variant(y)};
  raiseEvent(event, args);
}

}  // namespace quendel::toolvane
