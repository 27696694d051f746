// The member table of qndErr, in slot order.
#include "toolvane/errors/qnd_err.h"
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"

namespace quendel::toolvane {

const ClassDesc& qndErr::describe() {
  using C = qndErr;
  static const ClassDesc d = ClassBuilder<C>(u"qndErr")
                                 .ids(ids::qndErr.clsid, ids::qndErr.iid)
                                 .instancing(Instancing::Global)
                                 .creator([] { return std::make_shared<qndErr>(); })
                                 .function(u"GetErrorMessage", vbString, {param(u"ErrObject", vbObject, kIn | kOut)},
                                           [](C& e, CallArgs& a) { return Variant(e.GetErrorMessage(a[0])); })
                                 .build();
  return d;
}

static const ClassRegistration registration(&qndErr::describe);

}  // namespace quendel::toolvane
