// The member table of qndMain, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/general/qnd_main.h"

namespace quendel::toolvane {

const ClassDesc& qndMain::describe() {
  using C = qndMain;
  static const ClassDesc d = ClassBuilder<C>(u"qndMain")
                                 .ids(ids::qndMain.clsid, ids::qndMain.iid)
                                 .instancing(Instancing::Global)
                                 .help(u"Класс разных глобальных функций")
                                 .creator([] { return std::make_shared<qndMain>(); })
                                 .get(u"CommandLine", vbObject,
                                      [](C& m, CallArgs&) { return Variant(m.CommandLine()); })
                                 .build();
  return d;
}

static const ClassRegistration registration(&qndMain::describe);

}  // namespace quendel::toolvane
