// The member table of qndAlone, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/instance/qnd_alone.h"

namespace quendel::toolvane {

const ClassDesc& qndAlone::describe() {
  using C = qndAlone;
  const auto guid = [] { return param(u"AppGUID", vbString); };
  const auto hwnd = [] { return param(u"hWnd", vbLong); };
  const auto method = [] { return param(u"ActivationMethod", vbLong); };
  static const ClassDesc d =
      ClassBuilder<C>(u"qndAlone")
          .ids(ids::qndAlone.clsid, ids::qndAlone.iid)
          .instancing(Instancing::Creatable)
          .help(u"Класс проверки уникальности программы в памяти")
          .creator([] { return std::make_shared<qndAlone>(); })
          .function(u"IsAlone", vbBoolean, {guid()}, [](C& o, CallArgs& a) { return Variant(o.IsAlone(a.str(0))); })
          .function(u"IsAloneOnDesktop", vbBoolean, {guid()},
                    [](C& o, CallArgs& a) { return Variant(o.IsAloneOnDesktop(a.str(0))); })
          .function(u"IsAloneAtUser", vbBoolean, {guid()},
                    [](C& o, CallArgs& a) { return Variant(o.IsAloneAtUser(a.str(0))); })
          .get(u"AppGUID", vbString, [](C& o, CallArgs&) { return Variant(o.AppGUID()); })
          .get(u"WM_ACTIVATE_PREV_INSTANCE", vbLong,
               [](C& o, CallArgs&) { return Variant(o.WM_ACTIVATE_PREV_INSTANCE()); })
          .function(u"MarkPrevInstanceWindow", vbBoolean, {hwnd(), method()},
                    [](C& o, CallArgs& a) { return Variant(o.MarkPrevInstanceWindow(a.lng(0), a.lng(1))); })
          .function(u"UnMarkPrevInstanceWindow", vbBoolean, {hwnd()},
                    [](C& o, CallArgs& a) { return Variant(o.UnMarkPrevInstanceWindow(a.lng(0))); })
          .function(u"MarkPrevInstanceWindowEx", vbBoolean, {hwnd(), method(), guid()},
                    [](C& o, CallArgs& a) { return Variant(o.MarkPrevInstanceWindowEx(a.lng(0), a.lng(1), a.str(2))); })
          .function(u"UnMarkPrevInstanceWindowEx", vbBoolean, {hwnd(), guid()},
                    [](C& o, CallArgs& a) { return Variant(o.UnMarkPrevInstanceWindowEx(a.lng(0), a.str(1))); })
          .function(u"ActivatePrevInstanceWindow", vbBoolean, {},
                    [](C& o, CallArgs&) { return Variant(o.ActivatePrevInstanceWindow()); })
          .function(u"ActivatePrevInstanceWindowEx", vbBoolean, {guid()},
                    [](C& o, CallArgs& a) { return Variant(o.ActivatePrevInstanceWindowEx(a.str(0))); })
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndAlone.clsid, &qndAlone::describe);

}  // namespace quendel::toolvane
