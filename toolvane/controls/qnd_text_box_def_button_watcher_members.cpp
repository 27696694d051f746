// The member table of qndTextBoxDefButtonWatcher.
#include "toolvane/controls/qnd_text_box_def_button_watcher.h"
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"

namespace quendel::toolvane {

const ClassDesc& qndTextBoxDefButtonWatcher::describe() {
  using C = qndTextBoxDefButtonWatcher;
  static const ClassDesc d = ClassBuilder<C>(u"qndTextBoxDefButtonWatcher")
                                 .ids(ids::qndTextBoxDefButtonWatcher.clsid, ids::qndTextBoxDefButtonWatcher.iid)
                                 .instancing(Instancing::Creatable)
                                 .creator([] { return std::make_shared<qndTextBoxDefButtonWatcher>(); })
                                 .sub(u"Init",
                                      {param(u"Global_CommandButton", vbObject),
                                       param(u"Local_CommandButton", vbObject), param(u"This_TextBox", vbObject)},
                                      [](C& w, CallArgs& a) { w.Init(a.obj(0), a.obj(1), a.obj(2)); })
                                 .build();
  return d;
}

static const ClassRegistration registration(ids::qndTextBoxDefButtonWatcher.clsid,
                                            &qndTextBoxDefButtonWatcher::describe);

}  // namespace quendel::toolvane
