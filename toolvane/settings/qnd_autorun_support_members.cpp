// The member table of qndAutorunSupport, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/settings/qnd_autorun_support.h"

namespace quendel::toolvane {

const ClassDesc& qndAutorunSupport::describe() {
  using C = qndAutorunSupport;
  static const ClassDesc d =
      ClassBuilder<C>(u"qndAutorunSupport")
          .ids(ids::qndAutorunSupport.clsid, ids::qndAutorunSupport.iid)
          .instancing(Instancing::Global)
          .creator([] { return std::make_shared<qndAutorunSupport>(); })
          .get(u"ForCurrentUserOnly", vbBoolean, [](C& s, CallArgs&) { return Variant(s.ForCurrentUserOnly()); })
          .let(u"ForCurrentUserOnly", vbBoolean, [](C& s, CallArgs& a) { s.setForCurrentUserOnly(a.boolean(0)); })
          .function(u"IsInAutorun", vbBoolean, {param(u"AppGUID", vbString)},
                    [](C& s, CallArgs& a) { return Variant(s.IsInAutorun(a.str(0))); })
          .function(u"GetAutorunString", vbString, {param(u"AppGUID", vbString)},
                    [](C& s, CallArgs& a) { return Variant(s.GetAutorunString(a.str(0))); })
          .function(
              u"AddToAutorun", vbBoolean,
              {param(u"AppGUID", vbString), ParamDesc{u"CommandLine", vbString, kIn | kOptional, {}}},
              [](C& s, CallArgs& a) { return Variant(s.AddToAutorun(a.str(0), a.isMissing(1) ? String() : a.str(1))); })
          .function(u"DeleteFromAutorun", vbBoolean, {param(u"AppGUID", vbString)},
                    [](C& s, CallArgs& a) { return Variant(s.DeleteFromAutorun(a.str(0))); })
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndAutorunSupport.clsid, &qndAutorunSupport::describe);

}  // namespace quendel::toolvane
