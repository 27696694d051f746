// The member table of ucIconControl: its properties in slot order and its events. The
// control is private to the library, so the table is not in the type library.
#include "toolvane/controls/uc_icon_control.h"

namespace quendel::toolvane {

const ClassDesc& ucIconControl::describe() {
  using C = ucIconControl;
  auto mouseEvent = [](std::u16string_view name) {
    return EventDesc{String(name),
                     {param(u"Button", vbInteger, kIn | kOut), param(u"Shift", vbInteger, kIn | kOut),
                      param(u"X", vbSingle, kIn | kOut), param(u"Y", vbSingle, kIn | kOut)}};
  };
  static const ClassDesc d =
      ClassBuilder<C>(u"ucIconControl")
          .instancing(Instancing::Private)
          .events(u"__ucIconControl", "{6C1E8E1A-3F2B-4D8E-9A51-2B7C0D4E5F60}",
                  {EventDesc{u"Click", {}}, EventDesc{u"DblClick", {}}, mouseEvent(u"MouseDown"),
                   mouseEvent(u"MouseMove"), mouseEvent(u"MouseUp")})
          .get(u"Picture", vbObject, [](C& c, CallArgs&) { return Variant(c.Picture()); })
          .let(u"Picture", vbObject, [](C& c, CallArgs& a) { c.setPicture(a.obj(0)); })
          .set(u"Picture", [](C& c, CallArgs& a) { c.setPicture(a.obj(0)); })
          .get(u"BackColor", vbLong, [](C& c, CallArgs&) { return Variant(c.BackColor()); })
          .let(u"BackColor", vbLong, [](C& c, CallArgs& a) { c.setBackColor(a.lng(0)); })
          .get(u"MouseIcon", vbObject, [](C& c, CallArgs&) { return Variant(c.MouseIcon()); })
          .let(u"MouseIcon", vbObject, [](C& c, CallArgs& a) { c.setMouseIcon(a.obj(0)); })
          .set(u"MouseIcon", [](C& c, CallArgs& a) { c.setMouseIcon(a.obj(0)); })
          .get(u"MousePointer", vbInteger, [](C& c, CallArgs&) { return Variant(c.MousePointer()); })
          .let(u"MousePointer", vbInteger, [](C& c, CallArgs& a) { c.setMousePointer(a.integer(0)); })
          .build();
  return d;
}

}  // namespace quendel::toolvane
