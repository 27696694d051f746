// The member table of CTextBoxInsertHook (a private class: reachable by name, not listed
// in the type library).
#include "toolvane/controls/text_box_insert_hook.h"

namespace quendel::toolvane {

const ClassDesc& CTextBoxInsertHook::describe() {
  using C = CTextBoxInsertHook;
  static const ClassDesc d =
      ClassBuilder<C>(u"CTextBoxInsertHook")
          .instancing(Instancing::Private)
          .get(u"TextBoxObject", vbObject, [](C& h, CallArgs&) { return Variant(h.TextBoxObject()); })
          .get(u"CurrentHook", vbObject, [](C& h, CallArgs&) { return Variant(h.CurrentHook()); })
          .set(u"CurrentHook", [](C& h, CallArgs& a) { h.setCurrentHook(a.obj(0)); })
          .let(u"CurrentHook", vbObject, [](C& h, CallArgs& a) { h.setCurrentHook(a.obj(0)); })
          .build();
  return d;
}

}  // namespace quendel::toolvane
