// The member table of qndSimpleListDialog, in type-library order.
#include "toolvane/controls/qnd_simple_list_dialog.h"
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"

namespace quendel::toolvane {

const ClassDesc& qndSimpleListDialog::describe() {
  using C = qndSimpleListDialog;
  static const ClassDesc d =
      ClassBuilder<C>(u"qndSimpleListDialog")
          .ids(ids::qndSimpleListDialog.clsid, ids::qndSimpleListDialog.iid)
          .instancing(Instancing::Creatable)
          .creator([] { return std::make_shared<qndSimpleListDialog>(); })
          .get(u"Elements", vbObject, [](C& s, CallArgs&) { return Variant(s.Elements()); })
          .set(u"Elements", [](C& s, CallArgs& a) { s.setElements(a.obj(0)); })
          .let(u"Elements", vbObject, [](C& s, CallArgs& a) { s.setElements(a.obj(0)); })
          .get(u"Font", vbObject, [](C& s, CallArgs&) { return Variant(s.Font()); })
          .set(u"Font", [](C& s, CallArgs& a) { s.setFont(a.obj(0)); })
          .let(u"Font", vbObject, [](C& s, CallArgs& a) { s.setFont(a.obj(0)); })
          .get(u"ShowCountInCaption", vbBoolean, [](C& s, CallArgs&) { return Variant(s.ShowCountInCaption()); })
          .let(u"ShowCountInCaption", vbBoolean, [](C& s, CallArgs& a) { s.setShowCountInCaption(a.boolean(0)); })
          .get(u"Caption", vbString, [](C& s, CallArgs&) { return Variant(s.Caption()); })
          .let(u"Caption", vbString, [](C& s, CallArgs& a) { s.setCaption(a.str(0)); })
          .sub(u"Show", {}, [](C& s, CallArgs&) { s.Show(); })
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndSimpleListDialog.clsid, &qndSimpleListDialog::describe);

}  // namespace quendel::toolvane
