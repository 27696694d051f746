// The member table of qndMultiMonitor, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/monitors/qnd_multi_monitor.h"

namespace quendel::toolvane {

namespace {

Variant monitorOrNothing(std::shared_ptr<Monitor> m) {
  return m ? Variant(ObjectPtr(std::move(m))) : Variant::nothing();
}

}  // namespace

const ClassDesc& qndMultiMonitor::describe() {
  using C = qndMultiMonitor;
  const auto flags = [] { return param(u"Flags", vbLong); };
  const auto n = [](const char16_t* name) { return param(name, vbLong); };
  static const ClassDesc d =
      ClassBuilder<C>(u"qndMultiMonitor")
          .ids(ids::qndMultiMonitor.clsid, ids::qndMultiMonitor.iid)
          .instancing(Instancing::Creatable)
          .help(u"Класс информации о мониторах.")
          .creator([] { return std::make_shared<qndMultiMonitor>(); })
          .function(u"GetAllMonitors", vbObject, {},
                    [](C& o, CallArgs&) { return Variant(ObjectPtr(o.GetAllMonitors())); })
          .memberHelp(u"Перечисляет все мониторы в системе и возвращает коллекцию объектов.")
          .function(u"MonitorFromWindow", vbObject, {n(u"hWnd"), flags()},
                    [](C& o, CallArgs& a) { return monitorOrNothing(o.MonitorFromWindow(a.lng(0), a.lng(1))); })
          .memberHelp(u"Возвращает объект монитора по окну.")
          .function(
              u"MonitorFromPoint", vbObject, {n(u"X"), n(u"Y"), flags()},
              [](C& o, CallArgs& a) { return monitorOrNothing(o.MonitorFromPoint(a.lng(0), a.lng(1), a.lng(2))); })
          .memberHelp(u"Возвращает объект монитора по точке.")
          .function(u"MonitorFromRect", vbObject, {n(u"Left"), n(u"Top"), n(u"Right"), n(u"Bottom"), flags()},
                    [](C& o, CallArgs& a) {
                      return monitorOrNothing(o.MonitorFromRect(a.lng(0), a.lng(1), a.lng(2), a.lng(3), a.lng(4)));
                    })
          .memberHelp(u"Возвращает объект монитора по ограничивающему прямоугольнику.")
          .function(u"MonitorFromNewRect", vbObject, {n(u"Left"), n(u"Top"), n(u"Width"), n(u"Height"), flags()},
                    [](C& o, CallArgs& a) {
                      return monitorOrNothing(o.MonitorFromNewRect(a.lng(0), a.lng(1), a.lng(2), a.lng(3), a.lng(4)));
                    })
          .memberHelp(u"Возвращает объект монитора по ограничивающему прямоугольнику.")
          .build();
  return d;
}

static const ClassRegistration registration(ids::qndMultiMonitor.clsid, &qndMultiMonitor::describe);

}  // namespace quendel::toolvane
