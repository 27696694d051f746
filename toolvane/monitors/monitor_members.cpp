// The member table of Monitor, in slot order.
#include "toolvane/frame/class_ids.h"
#include "toolvane/frame/class_registration.h"
#include "toolvane/monitors/monitor.h"

namespace quendel::toolvane {

const ClassDesc& Monitor::describe() {
  using C = Monitor;
  const std::u16string_view screen = u"Возвращает размеры экрана монитора в пикселях.";
  const std::u16string_view work = u"Возвращает размеры рабочей области в пикселях.";
  using Getter = LONG (C::*)() const;
  auto lng = [](Getter g) { return [g](C& m, CallArgs&) { return Variant((m.*g)()); }; };
  static const ClassDesc d = ClassBuilder<C>(u"Monitor")
                                 .ids(ids::Monitor.clsid, ids::Monitor.iid)
                                 .instancing(Instancing::NotCreatable)
                                 .help(u"Класс информации о конкретном мониторе.")
                                 .get(u"Primary", vbBoolean, [](C& m, CallArgs&) { return Variant(m.Primary()); })
                                 .memberHelp(u"Возвращает True, если монитор - основной.")
                                 .get(u"Flags", vbLong, lng(&C::Flags))
                                 .memberHelp(u"Возвращает флаги.")
                                 .get(u"DeviceName", vbString, [](C& m, CallArgs&) { return Variant(m.DeviceName()); })
                                 .memberHelp(
                                     u"Возвращает имя устройства, которое можно использовать в CreateDC() для создания "
                                     u"контекста устройства конкретного монитора.")
                                 .get(u"MonitorLeft", vbLong, lng(&C::MonitorLeft))
                                 .memberHelp(screen)
                                 .get(u"MonitorTop", vbLong, lng(&C::MonitorTop))
                                 .memberHelp(screen)
                                 .get(u"MonitorWidth", vbLong, lng(&C::MonitorWidth))
                                 .memberHelp(screen)
                                 .get(u"MonitorHeight", vbLong, lng(&C::MonitorHeight))
                                 .memberHelp(screen)
                                 .get(u"MonitorRight", vbLong, lng(&C::MonitorRight))
                                 .memberHelp(screen)
                                 .get(u"MonitorBottom", vbLong, lng(&C::MonitorBottom))
                                 .memberHelp(screen)
                                 .get(u"WorkAreaLeft", vbLong, lng(&C::WorkAreaLeft))
                                 .memberHelp(work)
                                 .get(u"WorkAreaTop", vbLong, lng(&C::WorkAreaTop))
                                 .memberHelp(work)
                                 .get(u"WorkAreaWidth", vbLong, lng(&C::WorkAreaWidth))
                                 .memberHelp(work)
                                 .get(u"WorkAreaHeight", vbLong, lng(&C::WorkAreaHeight))
                                 .memberHelp(work)
                                 .get(u"WorkAreaRight", vbLong, lng(&C::WorkAreaRight))
                                 .memberHelp(work)
                                 .get(u"WorkAreaBottom", vbLong, lng(&C::WorkAreaBottom))
                                 .memberHelp(work)
                                 .build();
  return d;
}

static const ClassRegistration registration(ids::Monitor.clsid, &Monitor::describe);

}  // namespace quendel::toolvane
